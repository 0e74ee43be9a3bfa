#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "base/file_path.h"
#include "settings/settings.h"
#include "settings/settings_text.h"

namespace {

// Parses text over fresh defaults with the window "currently" at (300, 200).
struct Parsed {
    Settings s;
    int32_t x = 300;
    int32_t y = 200;
};

Parsed Parse(const std::string& text) {
    Parsed p;
    SetSettingsDefaults(p.s, L"C:\\Prog\\", "C:\\Prog\\");
    ApplySettingsText(text, p.s, p.x, p.y);
    return p;
}

// The record's numbers in its order: AskTerminate, LogInfoStyle, then the switches ShowInfo,
// TaskTerminate, TaskFreeze, RestoreWindow, DetectOwnTask and SaveInfo.
std::vector<int32_t> Numbers(const Settings& s) {
    return {s.AskTerminate,     s.LogInfoStyle,        s.EnableShowInfo,      s.EnableTaskTerminate,
            s.EnableTaskFreeze, s.EnableRestoreWindow, s.EnableDetectOwnTask, s.EnableSaveInfo};
}

void ExpectDefaults(const Parsed& p) {
    Settings d;
    SetSettingsDefaults(d, L"C:\\Prog\\", "C:\\Prog\\");
    EXPECT_EQ(Numbers(p.s), Numbers(d));
    EXPECT_EQ(p.s.CurrentDirText, d.CurrentDirText);
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 200);
}

const char* const kDefaultFile = "[Morvane SetUp]\r\n"
                                 "AskTerminate = 1\r\n"
                                 "LogInfoStyle = 16\r\n"
                                 "EnableTaskTerminate = 1\r\n"
                                 "EnableTaskFreeze = 1\r\n"
                                 "EnableDetectOwnTask = 1\r\n"
                                 "EnableShowInfo = 1\r\n"
                                 "EnableSaveInfo = 1\r\n"
                                 "EnableRestoreWindow = 1\r\n"
                                 "WindowX = 120\r\n"
                                 "WindowY = 80\r\n"
                                 "CurrentDir = C:\\Prog\\\r\n";

} // namespace

TEST(SettingsDefaults, FollowTheStartUpTableAndProgramFolder) {
    Settings s;
    s.EnableSaveInfo = 0;
    s.CurrentDirText = "x";
    SetSettingsDefaults(s, L"D:\\Apps\\Morvane\\", "D:\\Apps\\Morvane\\");
    EXPECT_EQ(Numbers(s), (std::vector<int32_t>{1, 16, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(s.CurrentDirText, "D:\\Apps\\Morvane\\");
}

TEST(ProgramPaths, FolderKeepsItsBackslashAndTheBaseIgnoresTheExeName) {
    EXPECT_EQ(FolderOf(L"C:\\Tools\\renamed-copy.exe"), L"C:\\Tools\\");
    EXPECT_EQ(FolderOf(L"C:\\a.b\\c"), L"C:\\a.b\\");
    EXPECT_EQ(FolderOf(L"C:\\a.exe"), L"C:\\");
    EXPECT_EQ(FolderOf(L"noslash.exe"), L"");
    EXPECT_EQ(SettingsBasePathOf(FolderOf(L"C:\\Tools\\other.exe")), L"C:\\Tools\\Morvane");
    const std::wstring wide = L"C:\\\x0416\x0443\x0440\x043D\x0430\x043B \x5F20\x4F1F\\m.exe";
    EXPECT_EQ(SettingsBasePathOf(FolderOf(wide)),
              L"C:\\\x0416\x0443\x0440\x043D\x0430\x043B \x5F20\x4F1F\\Morvane");
}

TEST(ProgramPaths, LongPathsTakeThePrefixedFormAndShortOnesStay) {
    const std::wstring deep(kLongPathFrom - 3, L'd');
    const std::wstring shorter(kLongPathFrom - 4, L'd');
    EXPECT_EQ(LongPathForm(L"C:\\" + shorter), L"C:\\" + shorter);
    EXPECT_EQ(LongPathForm(L"C:\\" + deep), L"\\\\?\\C:\\" + deep);
    EXPECT_EQ(LongPathForm(L"z:/" + deep + L"/x.ini"), L"\\\\?\\z:\\" + deep + L"\\x.ini");
    EXPECT_EQ(LongPathForm(L"\\\\srv\\share\\" + deep), L"\\\\?\\UNC\\srv\\share\\" + deep);
    // Already prefixed, a device path with slashes of either kind, or relative: left to the
    // system as it is.
    for (const std::wstring& same :
         {L"\\\\?\\C:\\" + deep, L"\\\\.\\pipe\\" + deep, L"//?/C:/" + deep, L"/\\./x/" + deep,
          deep, L"\\" + deep, L"C:" + deep})
        EXPECT_EQ(LongPathForm(same), same);
}

TEST(SettingsWriter, DefaultsGiveExactlyTwelveCrLfLines) {
    Settings s;
    SetSettingsDefaults(s, L"C:\\Prog\\", "C:\\Prog\\");
    const std::string text = FormatSettingsText(s, 120, 80);
    EXPECT_EQ(text, kDefaultFile);
    size_t crlf = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        crlf += text[i] == '\r' && text[i + 1] == '\n';
    EXPECT_EQ(crlf, 12u);
}

TEST(SettingsWriter, SignedDecimalAndTextUnchanged) {
    Settings s;
    s.AskTerminate = -7;
    s.LogInfoStyle = 2147483647;
    s.EnableTaskTerminate = 0;
    s.EnableTaskFreeze = -2147483647 - 1;
    s.CurrentDirText = "  \tD:\\odd dir ;=[x]  ";
    const std::string text = FormatSettingsText(s, -32000, -5);
    EXPECT_NE(text.find("\r\nAskTerminate = -7\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nLogInfoStyle = 2147483647\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nEnableTaskTerminate = 0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nEnableTaskFreeze = -2147483648\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nWindowX = -32000\r\nWindowY = -5\r\n"), std::string::npos);
    const std::string tail = "\r\nCurrentDir =   \tD:\\odd dir ;=[x]  \r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(SettingsWriter, WhatIsWrittenReadsBackTheSame) {
    Settings s;
    s.AskTerminate = 4;
    s.LogInfoStyle = 32;
    s.EnableShowInfo = 0;
    s.EnableTaskTerminate = 7;
    s.EnableTaskFreeze = -1;
    s.EnableRestoreWindow = 0;
    s.EnableDetectOwnTask = 2;
    s.EnableSaveInfo = 0;
    s.CurrentDirText = "E:\\a\tb c  ";
    s.LostLogBlocks = 3; // only then a thirteenth line, after the others
    const std::string text = FormatSettingsText(s, -12, 34567);
    const std::string tail = "\r\nCurrentDir = E:\\a\tb c  \r\nLostLogBlocks = 3\r\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    const Parsed p = Parse(text);
    EXPECT_EQ(Numbers(p.s), (std::vector<int32_t>{4, 32, 0, 7, -1, 0, 2, 0}));
    EXPECT_EQ(p.s.LostLogBlocks, 3);
    EXPECT_EQ(p.s.CurrentDirText, "E:\\a\tb c  ");
    EXPECT_EQ(p.x, -12);
    EXPECT_EQ(p.y, 34567);
}

TEST(SettingsGroupRule, MissingEmptyOrGarbageKeepsDefaults) {
    ExpectDefaults(Parse(""));
    ExpectDefaults(Parse("AskTerminate = 4\r\nWindowX = 5\r\n")); // no group at all
    std::mt19937 rng(12345);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(rng());
    // The rules still apply to garbage; with the group spelt out nowhere nothing can change.
    ASSERT_EQ(FindIniGroup(garbage, kSettingsGroup), std::string::npos);
    ExpectDefaults(Parse(garbage));
}

TEST(SettingsGroupRule, GroupNameCaseIsIgnoredButItMustStartTheLine) {
    EXPECT_EQ(Parse("[MORVANE SETUP]\r\nAskTerminate = 4\r\n").s.AskTerminate, 4);
    EXPECT_EQ(Parse("[morvane setup]\nAskTerminate = 4\n").s.AskTerminate, 4);
    // Without its closing bracket the name runs to the end of the line.
    EXPECT_EQ(Parse("[Morvane SetUp\r\nAskTerminate = 4\r\n").s.AskTerminate, 4);
    ExpectDefaults(Parse("  [Morvane SetUp]\r\nAskTerminate = 4\r\n"));
    ExpectDefaults(Parse("[Morvane SetUp ]\r\nAskTerminate = 4\r\n"));
    ExpectDefaults(Parse("[Morvane  SetUp]\r\nAskTerminate = 4\r\n"));
    ExpectDefaults(Parse("[Morvane]\r\nAskTerminate = 4\r\n"));
    ExpectDefaults(Parse("\t[Morvane SetUp]\r\nAskTerminate = 4\r\n"));
}

TEST(SettingsGroupRule, KeysOutsideTheGroupAreIgnored) {
    const Parsed p = Parse("AskTerminate = 2\r\n"
                           "[Other]\r\n"
                           "LogInfoStyle = 8\r\n"
                           "[Morvane SetUp]\r\n"
                           "EnableSaveInfo = 0\r\n"
                           "[Later]\r\n"
                           "AskTerminate = 4\r\n"
                           "EnableShowInfo = 0\r\n");
    EXPECT_EQ(p.s.AskTerminate, 1);
    EXPECT_EQ(p.s.LogInfoStyle, 16);
    EXPECT_EQ(p.s.EnableSaveInfo, 0);
    EXPECT_EQ(p.s.EnableShowInfo, 1);
}

TEST(SettingsGroupRule, FirstGroupOfTheNameIsTheOneRead) {
    const Parsed p = Parse("[Morvane SetUp]\r\nAskTerminate = 2\r\n"
                           "[Morvane SetUp]\r\nAskTerminate = 4\r\nLogInfoStyle = 8\r\n");
    EXPECT_EQ(p.s.AskTerminate, 2);
    EXPECT_EQ(p.s.LogInfoStyle, 16); // the second group is past the end of the first
}

TEST(SettingsKeyRule, BlanksCaseAndEqualsSign) {
    EXPECT_EQ(Parse("[Morvane SetUp]\r\n  askterminate=2\r\n").s.AskTerminate, 2);
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nASKTERMINATE    =    4\r\n").s.AskTerminate, 4);
    // A bracket further in does not end the group; one in the first column does.
    EXPECT_EQ(Parse("[Morvane SetUp]\r\n [x]\r\nAskTerminate = 4\r\n").s.AskTerminate, 4);
    EXPECT_EQ(Parse("[Morvane SetUp]\r\n[\r\nAskTerminate = 4\r\n").s.AskTerminate, 1);
    // Near misses of the key name.
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nAskTerminateX = 4\r\n").s.AskTerminate, 1);
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nAsk Terminate = 4\r\n").s.AskTerminate, 1);
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nAskTerminat = 4\r\n").s.AskTerminate, 1);
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nAskTerminate 4\r\n").s.AskTerminate, 1);
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nAskTerminate\r\n").s.AskTerminate, 1);
}

TEST(SettingsKeyRule, TabsAroundTheKeyMakeTheLineFail) {
    EXPECT_EQ(Parse("[Morvane SetUp]\r\n\tAskTerminate = 4\r\n").s.AskTerminate, 1);
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nAskTerminate\t= 4\r\n").s.AskTerminate, 1);
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nAskTerminate \t = 4\r\n").s.AskTerminate, 1);
    // After the "=" a tab is white space for a number.
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nAskTerminate =\t4\r\n").s.AskTerminate, 4);
}

TEST(SettingsKeyRule, CommentsAndDuplicates) {
    const Parsed p = Parse("[Morvane SetUp]\r\n"
                           ";AskTerminate = 4\r\n"
                           "   ; LogInfoStyle = 8\r\n"
                           "EnableSaveInfo = 0\r\n"
                           "EnableSaveInfo = 1\r\n"
                           "enablesaveinfo = 1\r\n");
    EXPECT_EQ(p.s.AskTerminate, 1);
    EXPECT_EQ(p.s.LogInfoStyle, 16);
    EXPECT_EQ(p.s.EnableSaveInfo, 0); // the first match wins
}

TEST(SettingsKeyRule, LfOnlyAndNoFinalLineEnd) {
    const Parsed p = Parse("[Morvane SetUp]\nAskTerminate = 2\nWindowX = 15\nCurrentDir = D:\\x\\");
    EXPECT_EQ(p.s.AskTerminate, 2);
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.s.CurrentDirText, "D:\\x\\");
    EXPECT_EQ(Parse("[Morvane SetUp]\r\nWindowY = -44").y, -44);
    EXPECT_EQ(Parse("[Morvane SetUp]").s.AskTerminate, 1);
}

TEST(SettingsNumbers, SignDigitsAndWhatStopsThem) {
    const std::string g = "[Morvane SetUp]\r\nAskTerminate = ";
    EXPECT_EQ(Parse(g + "+12\r\n").s.AskTerminate, 12);
    EXPECT_EQ(Parse(g + "-12\r\n").s.AskTerminate, -12);
    EXPECT_EQ(Parse(g + "007\r\n").s.AskTerminate, 7);
    EXPECT_EQ(Parse(g + "12abc\r\n").s.AskTerminate, 12);
    EXPECT_EQ(Parse(g + "3 4\r\n").s.AskTerminate, 3);
    EXPECT_EQ(Parse(g + "0x10\r\n").s.AskTerminate, 0);
    EXPECT_EQ(Parse(g + "- 5\r\n").s.AskTerminate, 0);
    EXPECT_EQ(Parse(g + "--5\r\n").s.AskTerminate, 0);
}

TEST(SettingsNumbers, ValueWithoutDigitsCountsAsPresentAndReadsZero) {
    const std::string g = "[Morvane SetUp]\r\n";
    EXPECT_EQ(Parse(g + "AskTerminate = yes\r\n").s.AskTerminate, 0);
    EXPECT_EQ(Parse(g + "AskTerminate =\r\n").s.AskTerminate, 0);
    EXPECT_EQ(Parse(g + "AskTerminate =").s.AskTerminate, 0);
    EXPECT_EQ(Parse(g + "WindowX = \r\n").x, 0);
    // The number does not run on into the next line.
    EXPECT_EQ(Parse(g + "AskTerminate =\r\n4\r\n").s.AskTerminate, 0);
    EXPECT_EQ(Parse(g + "AskTerminate =\n 4\n").s.AskTerminate, 0);
}

TEST(SettingsNumbers, BeyondThirtyTwoBitsIsClamped) {
    const std::string g = "[Morvane SetUp]\r\nWindowX = ";
    EXPECT_EQ(Parse(g + "2147483647\r\n").x, 2147483647);
    EXPECT_EQ(Parse(g + "2147483648\r\n").x, 2147483647);
    EXPECT_EQ(Parse(g + "-2147483648\r\n").x, -2147483647 - 1);
    EXPECT_EQ(Parse(g + "-2147483649\r\n").x, -2147483647 - 1);
    EXPECT_EQ(Parse(g + "99999999999999999999999999999999999999\r\n").x, 2147483647);
    EXPECT_EQ(Parse(g + "-" + std::string(5000, '9') + "\r\n").x, -2147483647 - 1);
    EXPECT_EQ(Parse(g + "4294967297\r\n").x, 2147483647); // no wrap to 1
}

TEST(SettingsText, CurrentDirValueRules) {
    const std::string g = "[Morvane SetUp]\r\nCurrentDir";
    EXPECT_EQ(Parse(g + " = \r\n").s.CurrentDirText, "");
    EXPECT_EQ(Parse(g + " =").s.CurrentDirText, "");
    EXPECT_EQ(Parse(g + " =    C:\\a b\\  \r\n").s.CurrentDirText, "C:\\a b\\  ");
    EXPECT_EQ(Parse(g + " = \tC:\\x\t\r\n").s.CurrentDirText, "\tC:\\x\t");
    EXPECT_EQ(Parse(g + "=C:\\x\rjunk\r\n").s.CurrentDirText, "C:\\x");
    EXPECT_EQ(Parse(g + " = \"C:\\q\" ;not a comment\n").s.CurrentDirText,
              "\"C:\\q\" ;not a comment");
    EXPECT_EQ(Parse(g + " = a=b\r\n").s.CurrentDirText, "a=b");
}

TEST(SettingsText, AllKeysOfAHandWrittenFile) {
    const Parsed p = Parse("; my settings\r\n"
                           "[Morvane SetUp]\r\n"
                           "CurrentDir = D:\\Work\\\r\n"
                           "WindowY = 9\r\n"
                           "WindowX = 8\r\n"
                           "EnableRestoreWindow = 0\r\n"
                           "EnableSaveInfo = 0\r\n"
                           "EnableShowInfo = 0\r\n"
                           "EnableDetectOwnTask = 0\r\n"
                           "EnableTaskFreeze = 0\r\n"
                           "EnableTaskTerminate = 0\r\n"
                           "LogInfoStyle = 8\r\n"
                           "AskTerminate = 2\r\n");
    EXPECT_EQ(Numbers(p.s), (std::vector<int32_t>{2, 8, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(p.x, 8);
    EXPECT_EQ(p.y, 9);
    EXPECT_EQ(p.s.CurrentDirText, "D:\\Work\\");
}

TEST(SettingsText, TenMegabytesAreReadInOnePassOfWork) {
    // A huge group of near-miss lines followed by the real keys: quadratic scanning would take
    // minutes here.
    std::string text = "[Morvane SetUp]\r\n";
    const std::string filler = "AskTerminateX = 4 padding padding padding padding padding\r\n";
    while (text.size() < 10 * 1024 * 1024)
        text += filler;
    text += "AskTerminate = 2\r\nCurrentDir = Z:\\\r\n";
    const auto start = std::chrono::steady_clock::now();
    const Parsed p = Parse(text);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(p.s.AskTerminate, 2);
    EXPECT_EQ(p.s.CurrentDirText, "Z:\\");
    EXPECT_EQ(p.s.LogInfoStyle, 16);
    // One pass takes well under a second even with the sanitizers; the bound leaves room for a
    // slow, shared machine and still fails long before quadratic work would end.
    EXPECT_LT(ms, 15000.0) << "parsing 10 MB took " << ms << " ms";
}

// Reported, not asserted: the figure depends on the machine and on the sanitizers. Run with
// --gtest_also_run_disabled_tests.
TEST(SettingsBenchmark, DISABLED_ParseOneMegabyteFile) {
    std::string text = "[Other]\r\n";
    while (text.size() < 512 * 1024)
        text += "SomeKey = some value that is not ours\r\n";
    text += "[Morvane SetUp]\r\n";
    while (text.size() < 1024 * 1024)
        text += "; comment line in the group, ignored\r\n";
    text += FormatSettingsText(Settings(), 10, 20).substr(17);
    const int rounds = 20;
    Parsed p;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        p = Parse(text);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    std::printf("parsing a %zu-byte settings file: %.2f ms per parse\n", text.size(), ms / rounds);
    RecordProperty("ms_per_parse", std::to_string(ms / rounds));
}
