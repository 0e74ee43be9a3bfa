#include <gtest/gtest.h>

#include <algorithm>

#include "app/setup_panel_rules.h"

TEST(CheckedOption, LastSetBitOfTheGroupWins) {
    const Preference& ask = *PreferenceOf(&Settings::AskTerminate);
    const Preference& style = *PreferenceOf(&Settings::LogInfoStyle);
    EXPECT_EQ(CheckedOption(1, ask), 0);
    EXPECT_EQ(CheckedOption(2, ask), 1);
    EXPECT_EQ(CheckedOption(4, ask), 2);
    EXPECT_EQ(CheckedOption(3, ask), 1);
    EXPECT_EQ(CheckedOption(5, ask), 2);
    EXPECT_EQ(CheckedOption(-1, ask), 2);
    // Bits of the other group, or none at all, check nothing.
    EXPECT_EQ(CheckedOption(0, ask), -1);
    EXPECT_EQ(CheckedOption(8, ask), -1);
    EXPECT_EQ(CheckedOption(16, style), 1);
    EXPECT_EQ(CheckedOption(8 | 32, style), 2);
    EXPECT_EQ(CheckedOption(7 | 64, style), -1);
}

// In the order of the preference table: the two option groups, then the check boxes 23 terminate,
// 24 freeze, 25 own task, 26 show, 27 save, 28 restore.
TEST(Preferences, ShownFromTheRecordAndStoredBackNormalised) {
    Settings s;
    s.AskTerminate = 3;
    s.LogInfoStyle = 0;
    s.EnableTaskFreeze = 7;
    s.EnableSaveInfo = 0;
    s.EnableDetectOwnTask = -5;
    PreferenceChoices c = ChoicesFromSettings(s);
    EXPECT_EQ(c, (PreferenceChoices{1, -1, 1, 1, 1, 1, 0, 1}));

    StorePreferences(s, c);
    EXPECT_EQ(s.AskTerminate, 2);
    EXPECT_EQ(s.LogInfoStyle, 0); // nothing checked: left as it was
    EXPECT_EQ(s.EnableTaskFreeze, 1);
    EXPECT_EQ(s.EnableDetectOwnTask, 1);
    EXPECT_EQ(s.EnableSaveInfo, 0);

    c = {2, 0, 0, 0, 0, 0, 1, 0};
    StorePreferences(s, c);
    EXPECT_EQ(s.AskTerminate, 4);
    EXPECT_EQ(s.LogInfoStyle, 8);
    EXPECT_EQ(s.EnableTaskTerminate, 0);
    EXPECT_EQ(s.EnableShowInfo, 0);
    EXPECT_EQ(s.EnableRestoreWindow, 0);
    EXPECT_EQ(s.EnableSaveInfo, 1);
}

TEST(WorkingFolder, UpToTheLastBackslashAfterTheFirstCharacter) {
    EXPECT_EQ(WorkingFolder(L"C:\\Tools\\edit.exe"), L"C:\\Tools\\");
    EXPECT_EQ(WorkingFolder(L"\\\\server\\share\\run.exe"), L"\\\\server\\share\\");
    EXPECT_EQ(WorkingFolder(L"C:\\Tools\\"), L"C:\\Tools\\");
    EXPECT_EQ(WorkingFolder(L"notepad.exe"), L"");
    EXPECT_EQ(WorkingFolder(L"\\edit.exe"), L"");
    EXPECT_EQ(WorkingFolder(L""), L"");
}

TEST(FolderOf, ChosenFileGivesItsFolderWithBackslash) {
    EXPECT_EQ(FolderOf(L"C:\\Windows\\system32\\kernel32.dll"), L"C:\\Windows\\system32\\");
    EXPECT_EQ(FolderOf(L"C:\\a.exe"), L"C:\\");
    EXPECT_EQ(FolderOf(L"a.exe"), L"");
}

TEST(AboutText, TwelveLinesAroundTheStamp) {
    const std::vector<std::string> lines = AboutLines("v1.02.41", "[ STAMP ]");
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "Morvane v1.02.41");
    EXPECT_FALSE(lines[1].empty());
    EXPECT_EQ(lines[3], "[ STAMP ]");
    EXPECT_EQ(lines[5], "Thanks to:");
    EXPECT_FALSE(lines[6].empty());
    EXPECT_FALSE(lines[7].empty());
    // The free line agrees with the licence file shipped beside the program.
    EXPECT_NE(lines[9].find("MIT licence"), std::string::npos) << lines[9];
    for (size_t blank : {2u, 4u, 8u, 10u})
        EXPECT_EQ(lines[blank], "") << blank;
    EXPECT_EQ(lines[11], "http://morvane.quillfen.example");

    const std::string text = AboutText("v1.02.41", "[ STAMP ]");
    EXPECT_EQ(text.rfind("Morvane v1.02.41\n", 0), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(text.back(), '\n');
}

TEST(DialogFilter, BarsBecomeNulsAndTheListEndsTwice) {
    const std::wstring f = DialogFilter(L"Text (*.txt)|*.txt");
    EXPECT_EQ(f, std::wstring(L"Text (*.txt)\0*.txt\0\0", 20));
    const std::wstring two = DialogFilter(L"EXE/DLL - Executables|*.exe;*.dll|All Files (*.*)|*.*");
    EXPECT_EQ(std::count(two.begin(), two.end(), L'\0'), 5);
    EXPECT_EQ(two.substr(two.size() - 5), std::wstring(L"*.*\0\0", 5));
}
