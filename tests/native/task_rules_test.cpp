#include <gtest/gtest.h>

#include "tasks/task_rules.h"

namespace {
// The rules alone, as on a system whose folders were not read.
const SystemFolders kNoFolders;
} // namespace

TEST(UpperAnsi, LowersOnlyTheLetterRanges) {
    EXPECT_EQ(UpperAnsi("c:\\windows\\system32\\svchost.exe"),
              "C:\\WINDOWS\\SYSTEM32\\SVCHOST.EXE");
    // 0xE0-0xFF move down by 0x20; 0xC0-0xDF, digits and punctuation stay.
    EXPECT_EQ(UpperAnsi("\xE4\xFF\xC4z{`9"), "\xC4\xDF\xC4Z{`9");
}

TEST(IsCriticalTask, System32FolderOrKernelProcess) {
    EXPECT_TRUE(IsCriticalTask("C:\\Windows\\System32\\services.exe", 600, kNoFolders));
    EXPECT_TRUE(IsCriticalTask("d:\\old\\system32\\x.exe", 7, kNoFolders));
    EXPECT_TRUE(IsCriticalTask("", 4, kNoFolders));
    EXPECT_FALSE(IsCriticalTask("C:\\Windows\\explorer.exe", 5, kNoFolders));
    // The folder name must stand between backslashes.
    EXPECT_FALSE(IsCriticalTask("C:\\system32x\\a.exe", 8, kNoFolders));
    EXPECT_FALSE(IsCriticalTask("C:\\Windows\\System32", 8, kNoFolders));
}

TEST(IsUnnecessaryTask, SystemFolderAndNamedExceptions) {
    const std::string own = "MORVANE.EXE";
    EXPECT_FALSE(
        IsUnnecessaryTask("c:\\windows\\system32\\svchost.exe", "svchost.exe", own, 1, kNoFolders));
    EXPECT_TRUE(
        IsUnnecessaryTask("C:\\Program Files\\Editor\\edit.exe", "edit.exe", own, 1, kNoFolders));
    EXPECT_TRUE(IsUnnecessaryTask("D:\\Tools\\x.exe", "x.exe", own, 1, kNoFolders));
    EXPECT_FALSE(
        IsUnnecessaryTask("\\SystemRoot\\System32\\smss.exe", "smss.exe", own, 1, kNoFolders));
    EXPECT_FALSE(
        IsUnnecessaryTask("C:\\WINDOWS\\explorer.exe", "explorer.exe", own, 1, kNoFolders));
    EXPECT_TRUE(IsUnnecessaryTask("C:\\WINDOWS\\notepad.exe", "notepad.exe", own, 1, kNoFolders));
    EXPECT_FALSE(IsUnnecessaryTask("D:\\kernel\\ntos.exe", "System", own, 1, kNoFolders));
    EXPECT_FALSE(IsUnnecessaryTask("D:\\kernel\\ntos.exe", "SYSTEM", own, 1, kNoFolders));
    EXPECT_FALSE(IsUnnecessaryTask("", "ghost.exe", own, 1, kNoFolders));
}

TEST(IsUnnecessaryTask, OwnTaskOnlyWhenTheFlagIsExactlyOne) {
    const std::string own = "MORVANE.EXE";
    EXPECT_FALSE(IsUnnecessaryTask("D:\\Tools\\Morvane.exe", "Morvane.exe", own, 1, kNoFolders));
    EXPECT_TRUE(IsUnnecessaryTask("D:\\Tools\\Morvane.exe", "morvane.exe", own, 0, kNoFolders));
    EXPECT_TRUE(IsUnnecessaryTask("D:\\Tools\\Morvane.exe", "Morvane.exe", own, 2, kNoFolders));
    // A program file with two dots is never recognised as the own task.
    EXPECT_TRUE(IsUnnecessaryTask("D:\\my.tool.exe", "my.tool.exe", "MY.EXE", 1, kNoFolders));
    // The own task inside the system folder stays unchecked either way.
    EXPECT_FALSE(
        IsUnnecessaryTask("C:\\windows\\system32\\morvane.exe", "morvane.exe", own, 0, kNoFolders));
}

// Windows on D:, with its 32-bit folder and its app hosts: each rule beside the fixed tests.
TEST(SystemFolders, DetectAndCriticalWithTheSystemsOwnFolders) {
    const SystemFolders folders(
        {"D:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS\\SysWOW64\\", "D:\\Windows\\SystemApps\\", ""});
    struct Row {
        const char *file, *name;
        bool detected, critical;
    } table[] = {
        {"d:\\windows\\system32\\drivers\\umdf.exe", "umdf.exe", false, true},
        {"C:\\Windows\\SysWOW64\\rundll32.exe", "rundll32.exe", false, true},
        {"D:\\Windows\\SystemApps\\Shell.Start_cw5n1h2txyewy\\Start.exe", "Start.exe", false, true},
        // The folder must begin the path and be followed by a backslash; "" is no folder.
        {"D:\\Windows\\SystemApps.exe", "SystemApps.exe", true, false},
        {"E:\\D:\\Windows\\SystemApps\\b.exe", "b.exe", true, false},
        {"\\??\\E:\\tool.exe", "tool.exe", true, false},
        // The fixed tests stay as they are.
        {"C:\\Program Files\\Editor\\edit.exe", "edit.exe", true, false},
        {"\\SystemRoot\\System32\\smss.exe", "smss.exe", false, true},
        {"D:\\WINDOWS\\explorer.exe", "explorer.exe", false, false},
        {"D:\\kernel\\ntos.exe", "System", false, false},
        {"", "ghost.exe", false, false},
    };
    for (const Row& r : table) {
        EXPECT_EQ(IsUnnecessaryTask(r.file, r.name, "MORVANE.EXE", 1, folders), r.detected)
            << r.file;
        EXPECT_EQ(IsCriticalTask(r.file, 9, folders), r.critical) << r.file;
    }
}

TEST(TaskCells, SignedDecimalAndSizeInKilobytes) {
    TaskRecord r;
    r.Pid = 1234;
    r.Name = "edit.exe";
    r.FileName = "C:\\edit.exe";
    r.Priority = 32768;
    r.MemorySize = 1536000;
    r.Base = -2147483647 - 1;
    r.Rights = 1;
    r.DllCount = 30;
    std::vector<std::string> cells = TaskCells(r);
    std::vector<std::string> expected = {"edit.exe", "1",           "1234", "32768",
                                         "1500",     "-2147483648", "30",   "C:\\edit.exe"};
    EXPECT_EQ(cells, expected);
    r.MemorySize = 1023;
    EXPECT_EQ(TaskCells(r)[4], "0");
    // A working set over 2 GiB is shown positive.
    r.MemorySize = 3LL * 1024 * 1024 * 1024;
    EXPECT_EQ(TaskCells(r)[4], "3145728");
}
