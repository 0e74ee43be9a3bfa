#include <gtest/gtest.h>

#include "base/format.h"
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
    EXPECT_EQ(DefaultReportFileName("C:\\Reports\\", "kernel32.dll"),
              "C:\\Reports\\DLL_kernel32_Functions.txt");
    EXPECT_EQ(DefaultReportFileName("C:\\Reports\\", "abcde"), "C:\\Reports\\DLL_a_Functions.txt");
    for (const char* shortName : {"", "a", "a.dl", "abcd"})
        EXPECT_EQ(DefaultReportFileName("D:\\", shortName), "D:\\DLL__Functions.txt") << shortName;
    EXPECT_EQ(DefaultReportFileName("", "user32.dll"), "DLL_user32_Functions.txt");
}

TEST(ExportReport, FilePartIsTheTextAfterTheLastBackslash) {
    EXPECT_EQ(FilePart("C:\\Windows\\System32\\kernel32.dll"), "kernel32.dll");
    EXPECT_EQ(FilePart("kernel32.dll"), "kernel32.dll");
    EXPECT_EQ(FilePart("C:\\Windows\\"), "");
    EXPECT_EQ(FilePart(""), "");
}
