#include <gtest/gtest.h>

#include "base/file_path.h"
#include "exports/export_report.h"

TEST(ExportReport, HeaderThenOneNamePerCrLfLine) {
    EXPECT_EQ(FormatExportReport("kernel32.dll", {"Beep", "CloseHandle"}),
              "Library: kernel32.dll\r\nEntries: 2\r\n\r\nBeep\r\nCloseHandle\r\n");
    EXPECT_EQ(FormatExportReport("empty.dll", {}), "Library: empty.dll\r\nEntries: 0\r\n\r\n");
    // An export without a readable name still takes its line, so the count matches the lines.
    EXPECT_EQ(FormatExportReport("x.dll", {"", "A"}),
              "Library: x.dll\r\nEntries: 2\r\n\r\n\r\nA\r\n");
}

TEST(ExportReport, LineBreaksInsideANameDoNotAddLines) {
    const std::string text = FormatExportReport("odd.dll", {"Bad\r\nName", "Next\n"});
    EXPECT_EQ(text, "Library: odd.dll\r\nEntries: 2\r\n\r\nBad??Name\r\nNext?\r\n");
}

TEST(ExportReport, DefaultFileNameDropsTheLastFourCharacters) {
    EXPECT_EQ(DefaultReportFileName(L"C:\\Reports\\", L"kernel32.dll"),
              L"C:\\Reports\\DLL_kernel32_Functions.txt");
    EXPECT_EQ(DefaultReportFileName(L"C:\\Reports\\", L"abcde"),
              L"C:\\Reports\\DLL_a_Functions.txt");
    for (const wchar_t* shortName : {L"", L"a", L"a.dl", L"abcd"})
        EXPECT_EQ(DefaultReportFileName(L"D:\\", shortName), L"D:\\DLL__Functions.txt");
    EXPECT_EQ(DefaultReportFileName(L"", L"user32.dll"), L"DLL_user32_Functions.txt");
    // Names outside the code page, and a character of two units counted once.
    EXPECT_EQ(DefaultReportFileName(L"", L"\x7248\x672C.dll"), L"DLL_\x7248\x672C_Functions.txt");
    EXPECT_EQ(DefaultReportFileName(L"", std::wstring(L"xa.d") + L"\xD835\xDD38"),
              L"DLL_x_Functions.txt");
}

TEST(ExportReport, FilePartIsTheTextAfterTheLastBackslash) {
    EXPECT_EQ(FilePart(L"C:\\Windows\\System32\\kernel32.dll"), L"kernel32.dll");
    EXPECT_EQ(FilePart(L"kernel32.dll"), L"kernel32.dll");
    EXPECT_EQ(FilePart(L"C:\\Windows\\"), L"");
    EXPECT_EQ(FilePart(L""), L"");
}
