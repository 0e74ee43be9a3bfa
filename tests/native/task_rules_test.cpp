#include <gtest/gtest.h>

#include "tasks/task_rules.h"

namespace {
// The rules alone, as on a system whose folders were not read.
const SystemFolders kNoFolders;
} // namespace

TEST(UpperAnsi, LowersOnlyTheLetterRanges) {
    EXPECT_EQ(UpperAnsi(L"c:\\windows\\system32\\svchost.exe"),
              L"C:\\WINDOWS\\SYSTEM32\\SVCHOST.EXE");
    // 0xE0-0xFF move down by 0x20; 0xC0-0xDF, digits and punctuation stay.
    EXPECT_EQ(UpperAnsi(L"\xE4\xFF\xC4z{`9"), L"\xC4\xDF\xC4Z{`9");
    // Nothing outside the code page passes for a letter of a pattern: not the long s, not the
    // dotless i, not a full-width letter.
    EXPECT_EQ(UpperAnsi(L"\x017F\x0131\xFF53"), L"\x017F\x0131\xFF53");

    // Under the Cyrillic code page its own letters move, as its bytes would.
    std::wstring cyrillic;
    for (wchar_t c = 0x0410; c <= 0x044F; ++c)
        cyrillic += c;
    SetAnsiUpperHalf(cyrillic);
    EXPECT_EQ(UpperAnsi(L"\x0436\x0443\x0440\x043D\x0430\x043B.log"),
              L"\x0416\x0423\x0420\x041D\x0410\x041B.LOG");
    EXPECT_EQ(UpperAnsi(L"\xE4"), L"\xE4") << "no Western letter in that code page";
    SetAnsiUpperHalf(std::wstring(5, L'x')); // not a code page's half: ignored
    EXPECT_EQ(UpperAnsi(L"\x0436"), L"\x0416");
    std::wstring western;
    for (wchar_t c = 0xC0; c <= 0xFF; ++c)
        western += c;
    SetAnsiUpperHalf(western);
}

TEST(IsCriticalTask, System32FolderOrKernelProcess) {
    EXPECT_TRUE(IsCriticalTask(L"C:\\Windows\\System32\\services.exe", 600, kNoFolders));
    EXPECT_TRUE(IsCriticalTask(L"d:\\old\\system32\\x.exe", 7, kNoFolders));
    EXPECT_TRUE(IsCriticalTask(L"", 4, kNoFolders));
    EXPECT_FALSE(IsCriticalTask(L"C:\\Windows\\explorer.exe", 5, kNoFolders));
    // The folder name must stand between backslashes.
    EXPECT_FALSE(IsCriticalTask(L"C:\\system32x\\a.exe", 8, kNoFolders));
    EXPECT_FALSE(IsCriticalTask(L"C:\\Windows\\System32", 8, kNoFolders));
}

TEST(IsUnnecessaryTask, SystemFolderAndNamedExceptions) {
    EXPECT_FALSE(IsUnnecessaryTask(L"c:\\windows\\system32\\svchost.exe", L"svchost.exe", false, 1,
                                   kNoFolders));
    EXPECT_TRUE(IsUnnecessaryTask(L"C:\\Program Files\\Editor\\edit.exe", L"edit.exe", false, 1,
                                  kNoFolders));
    EXPECT_TRUE(IsUnnecessaryTask(L"D:\\Tools\\x.exe", L"x.exe", false, 1, kNoFolders));
    EXPECT_FALSE(
        IsUnnecessaryTask(L"\\SystemRoot\\System32\\smss.exe", L"smss.exe", false, 1, kNoFolders));
    EXPECT_FALSE(
        IsUnnecessaryTask(L"C:\\WINDOWS\\explorer.exe", L"explorer.exe", false, 1, kNoFolders));
    EXPECT_TRUE(
        IsUnnecessaryTask(L"C:\\WINDOWS\\notepad.exe", L"notepad.exe", false, 1, kNoFolders));
    EXPECT_FALSE(IsUnnecessaryTask(L"D:\\kernel\\ntos.exe", L"System", false, 1, kNoFolders));
    EXPECT_FALSE(IsUnnecessaryTask(L"D:\\kernel\\ntos.exe", L"SYSTEM", false, 1, kNoFolders));
    EXPECT_FALSE(IsUnnecessaryTask(L"", L"ghost.exe", false, 1, kNoFolders));
}

// Detect knows its own task by the program's file name up to the first dot, then ".exe": by the
// row's system name where it has one, else by the name it shows.
TEST(IsUnnecessaryTask, OwnTaskOnlyWhenTheFlagIsExactlyOne) {
    const OwnTask::SameName same = [](const std::wstring& a, const std::wstring& b) {
        return UpperAnsi(a) == UpperAnsi(b);
    };
    const OwnTask own(L"D:\\My.Tools\\Morvane.exe", same), renamed(L"\"D:\\my.tool.exe\"", same);
    const struct {
        const OwnTask& task;
        const wchar_t *systemName, *name;
        bool isOwn;
    } rows[] = {
        {own, L"MORVANE.EXE", L"other.exe", true}, {own, L"Morvane", L"Morvane.exe", false},
        {own, L"", L"morvane.exe", true},          {own, L"", L"Morvane.exe.exe", false},
        {renamed, L"my.exe", L"", true},           {renamed, L"my.tool.exe", L"", false},
        {renamed, L"", L"MY.EXE", true},           {renamed, L"my.tool.exe", L"my.exe", false}};
    for (const auto& row : rows) {
        TaskRecord r;
        r.SystemName = row.systemName;
        r.Name = row.name;
        EXPECT_EQ(row.task.Is(r), row.isOwn) << row.systemName << " / " << row.name;
    }
    EXPECT_FALSE(IsUnnecessaryTask(L"D:\\Tools\\Morvane.exe", L"Morvane.exe", true, 1, kNoFolders));
    EXPECT_TRUE(IsUnnecessaryTask(L"D:\\Tools\\Morvane.exe", L"morvane.exe", true, 0, kNoFolders));
    EXPECT_TRUE(IsUnnecessaryTask(L"D:\\Tools\\Morvane.exe", L"Morvane.exe", true, 2, kNoFolders));
    // The own task inside the system folder stays unchecked either way.
    EXPECT_FALSE(IsUnnecessaryTask(L"C:\\windows\\system32\\morvane.exe", L"morvane.exe", true, 0,
                                   kNoFolders));
}

// Windows on D:, with its 32-bit folder and its app hosts: each rule beside the fixed tests.
TEST(SystemFolders, DetectAndCriticalWithTheSystemsOwnFolders) {
    const SystemFolders folders(
        {L"D:\\WINDOWS\\SYSTEM32", L"C:\\WINDOWS\\SysWOW64\\", L"D:\\Windows\\SystemApps\\", L""});
    struct Row {
        const wchar_t *file, *name;
        bool detected, critical;
    } table[] = {
        {L"d:\\windows\\system32\\drivers\\umdf.exe", L"umdf.exe", false, true},
        {L"C:\\Windows\\SysWOW64\\rundll32.exe", L"rundll32.exe", false, true},
        {L"D:\\Windows\\SystemApps\\Shell.Start_cw5n1h2txyewy\\Start.exe", L"Start.exe", false,
         true},
        // The folder must begin the path and be followed by a backslash; "" is no folder.
        {L"D:\\Windows\\SystemApps.exe", L"SystemApps.exe", true, false},
        {L"E:\\D:\\Windows\\SystemApps\\b.exe", L"b.exe", true, false},
        {L"\\??\\E:\\tool.exe", L"tool.exe", true, false},
        // The fixed tests stay as they are.
        {L"C:\\Program Files\\Editor\\edit.exe", L"edit.exe", true, false},
        {L"\\SystemRoot\\System32\\smss.exe", L"smss.exe", false, true},
        {L"D:\\WINDOWS\\explorer.exe", L"explorer.exe", false, false},
        {L"D:\\kernel\\ntos.exe", L"System", false, false},
        {L"", L"ghost.exe", false, false},
    };
    for (const Row& r : table) {
        EXPECT_EQ(IsUnnecessaryTask(r.file, r.name, false, 1, folders), r.detected) << r.file;
        EXPECT_EQ(IsCriticalTask(r.file, 9, folders), r.critical) << r.file;
    }
}

TEST(TaskColumns, SignedDecimalAndSizeInKilobytes) {
    TaskRecord r;
    r.Pid = 1234;
    r.Name = L"edit.exe";
    r.Details.fileName = L"C:\\edit.exe";
    r.Details.priority = 32768;
    r.Details.memory = 1536000;
    r.Details.base = static_cast<ModuleHandle>(static_cast<intptr_t>(-2147483647 - 1));
    r.Details.rights = 1;
    r.Details.moduleCount = 31; // the main module is not counted
    std::vector<std::wstring> cells = RowCells(kTaskColumns, r, 1);
    std::vector<std::wstring> expected = {L"edit.exe", L"1",           L"1234", L"32768",
                                          L"1500",     L"-2147483648", L"30",   L"C:\\edit.exe"};
    EXPECT_EQ(cells, expected);
    r.Details.memory = 1023;
    EXPECT_EQ(kTaskColumns[4].cell(r, 1), L"0");
    // A working set over 2 GiB is shown positive.
    r.Details.memory = 3ULL * 1024 * 1024 * 1024;
    EXPECT_EQ(kTaskColumns[4].cell(r, 1), L"3145728");
}
