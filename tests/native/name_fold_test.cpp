#include <gtest/gtest.h>

#include <string>

#include "proc/name_fold.h"

TEST(NameFromBuffer, TakesWhatTheSystemWroteAndNothingElse) {
    wchar_t buffer[8] = {L'a', L'b', L'c', L'\0', L'x', L'x', L'x', L'x'};
    EXPECT_EQ(NameFromBuffer(buffer, 8, 3), L"abc");
    EXPECT_EQ(NameFromBuffer(buffer, 8, 2), L"ab");
    // A call that reports nothing leaves no name, whatever the buffer held before.
    wchar_t blanks[8] = {L' ', L' ', L' ', L' ', L' ', L' ', L' ', L' '};
    EXPECT_EQ(NameFromBuffer(blanks, 8, 0), L"");
    EXPECT_EQ(NameFromBuffer(nullptr, 0, 5), L"");
    // A length beyond the buffer never reads past it; the first zero ends the text.
    wchar_t full[4] = {L'a', L'b', L'c', L'd'};
    EXPECT_EQ(NameFromBuffer(full, 4, 100), L"abcd");
    EXPECT_EQ(NameFromBuffer(buffer, 8, 100), L"abc");
}

TEST(ProgramNameFromPath, KeepsTheFileNameUpToItsFirstDot) {
    EXPECT_EQ(ProgramNameFromPath(L"C:\\Tools\\tool.exe"), L"tool");
    EXPECT_EQ(ProgramNameFromPath(L"C:\\Tools\\a.b.exe"), L"a");
    EXPECT_EQ(ProgramNameFromPath(L"C:\\Tools\\.hidden"), L".hidden");
    EXPECT_EQ(ProgramNameFromPath(L"C:\\Tools\\..x"), L".");
    EXPECT_EQ(ProgramNameFromPath(L"C:\\My.Tools\\Morvane.exe"), L"Morvane");
    EXPECT_EQ(ProgramNameFromPath(L"C:\\My.Tools\\Morvane"), L"Morvane");
    EXPECT_EQ(ProgramNameFromPath(L"tool.exe"), L"tool");
    EXPECT_EQ(ProgramNameFromPath(L"\"C:\\Program Files\\tool.exe\" -x"), L"tool");
    EXPECT_EQ(ProgramNameFromPath(L"\"tool.exe\""), L"tool");
    EXPECT_EQ(ProgramNameFromPath(L"C:\\Tools\\"), L"");
    EXPECT_EQ(ProgramNameFromPath(L""), L"");
    // A name cut already stays as it is.
    for (const wchar_t* name : {L"tool", L".hidden", L".", L"Morvane"})
        EXPECT_EQ(ProgramNameFromPath(name), name);
    // Names outside any code page follow the same rule.
    EXPECT_EQ(ProgramNameFromPath(L"C:\\\x5F20\x4F1F.x\\\x0416\x0443\x0440.v2.exe"),
              L"\x0416\x0443\x0440");
    EXPECT_EQ(ProgramNameFromPath(L"\"C:\\a b\\tool.exe\" -x"), L"tool");
}

TEST(SlotCount, NeverExceedsTheTable) {
    EXPECT_EQ(SlotCount(0, 4, 256), 0);
    EXPECT_EQ(SlotCount(1024, 4, 256), 256);
    EXPECT_EQ(SlotCount(1023, 4, 256), 255);
    EXPECT_EQ(SlotCount(4096, 4, 1024), 1024);
    EXPECT_EQ(SlotCount(4100, 4, 1024), 1024) << "the system asked for more than the table";
    EXPECT_EQ(SlotCount(8192 * 3, 8, 1024), 1024);
    EXPECT_EQ(SlotCount(uint64_t(1) << 40, 8, 1024), 1024);
    EXPECT_EQ(SlotCount(100, 0, 1024), 0);
    EXPECT_EQ(SlotCount(100, 4, 0), 0);
}

TEST(DisplayName, SpecialCasesOfTheReading) {
    EXPECT_EQ(DisplayName({0, L"", L"", L""}), L"IDLE");
    EXPECT_EQ(DisplayName({0, L"x.exe", L"x.exe", L"x.exe"}), L"IDLE");
    EXPECT_EQ(DisplayName({8, L"", L"", L""}), L"");
    EXPECT_EQ(DisplayName({8, L"?", L"", L""}), L"System");
    EXPECT_EQ(DisplayName({8, L"svc.exe", L"SVC.EXE", L"SVC.EXE"}), L"svc.exe");
    // Refused or unreadable: the name in the system's process list, never a blank row.
    EXPECT_EQ(DisplayName({8, L"", L"guard.exe", L"guard.exe"}), L"guard.exe");
    EXPECT_EQ(DisplayName({8, L"", L"\x65e5\x672c.exe", L"\x65e5\x672c.exe"}), L"\x65e5\x672c.exe");
}
