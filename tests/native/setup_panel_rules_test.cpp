#include <gtest/gtest.h>

#include <algorithm>

#include "app/setup_panel_rules.h"

// Only a value of the group checks an option: bits of it do not, nor bits of the other group.
TEST(CheckedOption, OnlyTheGroupsOwnValuesCheckAnOption) {
    const Preference& ask = kPreferences[0];
    const Preference& style = kPreferences[1];
    const struct {
        const Preference& group;
        int32_t value;
        int option;
    } cases[] = {{ask, 1, 0},    {ask, 2, 1},    {ask, 4, 2},         {ask, 3, -1},
                 {ask, 5, -1},   {ask, -1, -1},  {ask, 0, -1},        {ask, 8, -1},
                 {style, 16, 1}, {style, 32, 2}, {style, 8 | 32, -1}, {style, 1, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(CheckedOption(c.value, c.group), c.option) << c.group.key << " = " << c.value;
}

// In the order of the preference table: the two option groups, then the check boxes 23 terminate,
// 24 freeze, 25 own task, 26 show, 27 save, 28 restore.
TEST(Preferences, BackWritesOnlyWhatTheUserChanged) {
    const auto values = [](const Settings& s) {
        std::vector<int32_t> v;
        for (const Preference& p : kPreferences)
            v.push_back(s.*p.field);
        return v;
    };
    Settings s;
    s.AskTerminate = 3;
    s.LogInfoStyle = 24;
    s.EnableTaskFreeze = 7;
    s.EnableSaveInfo = 0;
    s.EnableDetectOwnTask = -5; // Detect counts only 1 as on
    const PreferenceChoices shown = ChoicesFromSettings(s);
    EXPECT_EQ(shown, (PreferenceChoices{-1, -1, 1, 1, 0, 1, 0, 1}));

    StorePreferences(s, shown, shown);
    EXPECT_EQ(values(s), (std::vector<int32_t>{3, 24, 1, 7, -5, 1, 0, 1}));
    StorePreferences(s, shown, {2, -1, 1, 0, 1, 1, 1, 1});
    EXPECT_EQ(values(s), (std::vector<int32_t>{4, 24, 1, 0, 1, 1, 1, 1}));
    // Options changed write their values; check boxes left as shown keep theirs, 9 too.
    s.EnableTaskTerminate = 9;
    StorePreferences(s, {0, 1, 1, 1, 1, 1, 1, 1}, {1, 2, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(values(s), (std::vector<int32_t>{2, 32, 9, 0, 1, 1, 1, 1}));
}

TEST(WorkingFolder, UpToTheLastBackslashAfterTheFirstCharacter) {
    EXPECT_EQ(WorkingFolder(L"C:\\Tools\\edit.exe"), L"C:\\Tools\\");
    EXPECT_EQ(WorkingFolder(L"\\\\server\\share\\run.exe"), L"\\\\server\\share\\");
    EXPECT_EQ(WorkingFolder(L"C:\\Tools\\"), L"C:\\Tools\\");
    EXPECT_EQ(WorkingFolder(L"notepad.exe"), L"");
    EXPECT_EQ(WorkingFolder(L"\\edit.exe"), L"");
    EXPECT_EQ(WorkingFolder(L""), L"");
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
