// Morvane.ini and Morvane.log as a user finds them beside the program: what a run reads, what it
// leaves behind, and what it does when the files cannot be written.
#include "ui/control_ids.h"
#include "e2e_support.h"
#include "base/ansi_text_win.h"
#include "settings/session_log.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

using namespace driver;

namespace {

using testsupport::Entries;
using testsupport::Exists;

const char* const kKeys[] = {"AskTerminate",     "LogInfoStyle",        "EnableTaskTerminate",
                             "EnableTaskFreeze", "EnableDetectOwnTask", "EnableShowInfo",
                             "EnableSaveInfo",   "EnableRestoreWindow", "WindowX",
                             "WindowY",          "CurrentDir"};

// The text cut at CR LF. `wellFormed` is false when a line ends otherwise (a lone CR or LF, or
// no line end at all after the last line).
std::vector<std::string> CrLfLines(const std::string& text, bool* wellFormed) {
    std::string rest;
    std::vector<std::string> lines = e2e::SplitCrLf(text, &rest);
    *wellFormed = rest.empty();
    if (!rest.empty()) lines.push_back(rest);
    for (const std::string& line : lines)
        if (line.find_first_of("\r\n") != std::string::npos) *wellFormed = false;
    return lines;
}

// A signed decimal as the program writes numbers: no plus, no leading zero, in 32-bit range.
bool IsInt32Text(const std::string& text) {
    const size_t digits = text.size() > 0 && text[0] == '-' ? 1 : 0;
    if (text.size() == digits || text.size() - digits > 10) return false;
    if (text[digits] == '0' && text.size() != digits + 1) return false;
    for (size_t i = digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return value >= -2147483648LL && value <= 2147483647LL && text != "-0";
}

// Checks that `text` is a settings file exactly as the program writes it: twelve CR LF lines,
// the group line, then the eleven keys in their order as "Key = value" with numbers in 32-bit
// decimal. Returns the values by key.
std::map<std::string, std::string> ParseWrittenIni(const std::string& text) {
    std::map<std::string, std::string> values;
    bool wellFormed = false;
    const std::vector<std::string> lines = CrLfLines(text, &wellFormed);
    EXPECT_TRUE(wellFormed) << "every line ends with CR LF:\n" << text;
    EXPECT_EQ(lines.size(), 12u) << text;
    if (lines.size() != 12) return values;
    EXPECT_EQ(lines[0], "[Morvane SetUp]");
    for (size_t i = 0; i < 11; ++i) {
        const std::string start = std::string(kKeys[i]) + " = ";
        const std::string& line = lines[i + 1];
        EXPECT_EQ(line.compare(0, start.size(), start), 0) << "line " << i + 2 << ": " << line;
        const std::string value = line.substr(std::min(start.size(), line.size()));
        if (i < 10) {
            EXPECT_TRUE(IsInt32Text(value)) << kKeys[i] << " = '" << value << "'";
        }
        values[kKeys[i]] = value;
    }
    return values;
}

std::map<std::string, std::string> Defaults(const std::string& folder) {
    return {{"AskTerminate", "1"},     {"LogInfoStyle", "16"},       {"EnableTaskTerminate", "1"},
            {"EnableTaskFreeze", "1"}, {"EnableDetectOwnTask", "1"}, {"EnableShowInfo", "1"},
            {"EnableSaveInfo", "1"},   {"EnableRestoreWindow", "1"}, {"CurrentDir", folder}};
}

// Compares the keys named in `expected` and nothing else.
void ExpectValues(const std::map<std::string, std::string>& actual,
                  const std::map<std::string, std::string>& expected) {
    for (const auto& kv : expected) {
        const auto found = actual.find(kv.first);
        ASSERT_NE(found, actual.end()) << kv.first;
        EXPECT_EQ(found->second, kv.second) << kv.first;
    }
}

// Seconds of a local date and time; false when the fields are no valid date.
bool ToSeconds(const SYSTEMTIME& st, unsigned long long* seconds) {
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) return false;
    *seconds = ((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) /
               10000000ULL;
    return true;
}

unsigned long long NowSeconds() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    st.wMilliseconds = 0;
    unsigned long long s = 0;
    ToSeconds(st, &s);
    return s;
}

bool TwoDigits(const std::string& text, size_t at, int max, WORD* out) {
    if (at + 2 > text.size() || text[at] < '0' || text[at] > '9' || text[at + 1] < '0' ||
        text[at + 1] > '9')
        return false;
    *out = static_cast<WORD>((text[at] - '0') * 10 + (text[at + 1] - '0'));
    return *out <= max;
}

// "[ <label>: dd-mm-yyyy / hh:mm:ss ]" with a real date; the moment in local seconds.
bool ParseStampLine(const std::string& line, const std::string& label, unsigned long long* at) {
    const std::string head = "[ " + label + ": ";
    if (line.size() != head.size() + 23 || line.compare(0, head.size(), head) != 0) return false;
    const std::string rest = line.substr(head.size()); // "dd-mm-yyyy / hh:mm:ss ]"
    SYSTEMTIME st = {};
    WORD hi = 0, lo = 0;
    if (!TwoDigits(rest, 0, 31, &st.wDay) || rest[2] != '-' ||
        !TwoDigits(rest, 3, 12, &st.wMonth) || rest[5] != '-' || !TwoDigits(rest, 6, 99, &hi) ||
        !TwoDigits(rest, 8, 99, &lo) || rest.compare(10, 3, " / ") != 0 ||
        !TwoDigits(rest, 13, 23, &st.wHour) || rest[15] != ':' ||
        !TwoDigits(rest, 16, 59, &st.wMinute) || rest[18] != ':' ||
        !TwoDigits(rest, 19, 59, &st.wSecond) || rest.compare(21, 2, " ]") != 0)
        return false;
    st.wYear = static_cast<WORD>(hi * 100 + lo);
    return ToSeconds(st, at);
}

// "[ hh:mm:ss ] - " at the start of a log line.
bool HasTimePrefix(const std::string& line) {
    WORD h = 0, m = 0, s = 0;
    return line.size() >= 15 && line.compare(0, 2, "[ ") == 0 && TwoDigits(line, 2, 23, &h) &&
           line[4] == ':' && TwoDigits(line, 5, 59, &m) && line[7] == ':' &&
           TwoDigits(line, 8, 59, &s) && line.compare(10, 5, " ] - ") == 0;
}

// "Initialized tasks: n" with a positive count.
bool IsTaskCountLine(const std::string& text) {
    const std::string label = "Initialized tasks: ";
    if (text.compare(0, label.size(), label) != 0) return false;
    const std::string count = text.substr(label.size());
    return IsInt32Text(count) && count[0] != '-' && count != "0";
}

struct LogBlock {
    std::string header;
    std::vector<std::string> entries; // without the two leading blanks
    std::string end;
    unsigned long long startAt = 0;
    unsigned long long endAt = 0;
};

// Splits a session log file into its blocks. Every block is the start line, entries indented by
// two blanks, the end line and an empty line; anything else fails the calling test.
std::vector<LogBlock> ParseLogFile(const std::string& text) {
    std::vector<LogBlock> blocks;
    bool wellFormed = false;
    const std::vector<std::string> lines = CrLfLines(text, &wellFormed);
    EXPECT_TRUE(wellFormed) << "every line ends with CR LF:\n" << text;
    size_t i = 0;
    while (i < lines.size()) {
        LogBlock block;
        block.header = lines[i++];
        if (!ParseStampLine(block.header, "Session-Log", &block.startAt)) {
            ADD_FAILURE() << "not a start line: '" << block.header << "'";
            return blocks;
        }
        while (i < lines.size() && lines[i].compare(0, 2, "  ") == 0)
            block.entries.push_back(lines[i++].substr(2));
        if (i >= lines.size() || !ParseStampLine(lines[i], "Session-End", &block.endAt)) {
            ADD_FAILURE() << "no end line after the entries of '" << block.header << "'";
            return blocks;
        }
        block.end = lines[i++];
        if (i >= lines.size() || !lines[i].empty()) {
            ADD_FAILURE() << "no empty line after '" << block.end << "'";
            return blocks;
        }
        ++i;
        blocks.push_back(block);
    }
    return blocks;
}

class SettingsLogTest : public e2e::MorvaneTest {
  protected:
    // Launch, remembering the local time just before the start.
    void Start() {
        startedAt_ = NowSeconds();
        Launch();
    }
    // Close; remembers the time after the end and how long closing took.
    DWORD Stop() {
        const DWORD before = GetTickCount();
        const DWORD code = CloseApp();
        closeMs_ = GetTickCount() - before;
        endedAt_ = NowSeconds();
        return code;
    }

    // The log's lines; fails the test when the list cannot be read.
    std::vector<std::string> LogLines() const {
        bool read = false;
        std::vector<std::string> lines = MorvaneTest::LogLines(&read);
        EXPECT_TRUE(read);
        return lines;
    }
    // Clicks Refresh and waits for its log line.
    void Refresh() {
        const int before = LogLineCount();
        ASSERT_GE(before, 0);
        ASSERT_TRUE(Click(Control(RefreshButton)));
        ASSERT_TRUE(WaitUntil([&] { return LogLineCount() == before + 1; }, e2e::kWaitMs))
            << "Refresh logged nothing";
    }
    RECT OuterRect() const {
        RECT r = {};
        GetWindowRect(window_, &r);
        return r;
    }
    // Where start-up puts the window when it does not restore a place.
    POINT CentredPosition() const {
        const RECT r = OuterRect();
        const int w = r.right - r.left, h = r.bottom - r.top;
        const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        return {sw / 2 - std::min(sw, w) / 2, sh / 2 - std::min(sh, h) / 2};
    }
    // Moves the window as the user would drag it, and waits until it is there.
    void MoveWindowTo(int x, int y) {
        ASSERT_TRUE(
            SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
        ASSERT_TRUE(WaitUntil([&] {
            const RECT r = OuterRect();
            return r.left == x && r.top == y;
        }));
        ASSERT_TRUE(Sync(window_));
    }
    void ExpectBlockTimes(const LogBlock& block) const {
        EXPECT_LE(startedAt_, block.startAt) << block.header;
        EXPECT_LE(block.startAt, block.endAt) << block.end;
        EXPECT_LE(block.endAt, endedAt_) << block.end;
    }

    unsigned long long startedAt_ = 0;
    unsigned long long endedAt_ = 0;
    DWORD closeMs_ = 0;
};

// --- The settings file --------------------------------------------------------------------------

TEST_F(SettingsLogTest, FirstStartWritesTwelveLinesWithTheDefaultsAndTheWindowPosition) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // The place written is where the window is at the end, not where it started.
    ASSERT_NO_FATAL_FAILURE(MoveWindowTo(137, 91));
    ASSERT_EQ(Stop(), 0u);

    bool exists = false;
    const std::string text = ReadFile("Morvane.ini", &exists);
    ASSERT_TRUE(exists);
    const auto values = ParseWrittenIni(text);
    ExpectValues(values, Defaults(folder_));
    ExpectValues(values, {{"WindowX", "137"}, {"WindowY", "91"}});
    EXPECT_EQ(Entries(home_),
              (std::vector<std::wstring>{L"Morvane.exe", L"Morvane.ini", L"Morvane.log"}))
        << "nothing left over from the start-up probe or the write";
}

TEST_F(SettingsLogTest, HandEditedValuesAreReadBackActedOnAndWrittenAgain) {
    // Written by hand: other letter case, blanks and a tab-free comment, keys in another order,
    // the window flags left out.
    WriteFile("Morvane.ini", "; my settings\r\n"
                             "[morvane setup]\r\n"
                             "  logInfoStyle=8\n"
                             "AskTerminate   =   2\r\n"
                             ";EnableShowInfo = 1\r\n"
                             "EnableShowInfo = 0\r\n"
                             "EnableRestoreWindow = 0\r\n"
                             "CurrentDir = C:\\My Files\\ \r\n");
    ASSERT_NO_FATAL_FAILURE(Start());

    const RECT client = ClientRect(window_);
    EXPECT_EQ(client.right - client.left, 410);
    EXPECT_EQ(client.bottom - client.top, 324) << "the log list is cut off";
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("[ 1 ] - ", 0), 0u) << lines[0];
    EXPECT_TRUE(IsTaskCountLine(lines[0].substr(8))) << lines[0];
    const RECT outer = OuterRect();
    ASSERT_EQ(Stop(), 0u);

    auto expected = Defaults(folder_);
    expected["AskTerminate"] = "2";
    expected["LogInfoStyle"] = "8";
    expected["EnableShowInfo"] = "0";
    expected["EnableRestoreWindow"] = "0";
    expected["CurrentDir"] = "C:\\My Files\\ "; // trailing blank kept, as read
    expected["WindowX"] = std::to_string(outer.left);
    expected["WindowY"] = std::to_string(outer.top);
    ExpectValues(ParseWrittenIni(ReadFile("Morvane.ini")), expected);
}

TEST_F(SettingsLogTest, AMovedWindowComesBackAtItsPlaceOnTheNextStart) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const POINT centred = CentredPosition();
    const RECT first = OuterRect();
    EXPECT_EQ(first.left, centred.x) << "no settings yet: centred";
    EXPECT_EQ(first.top, centred.y);
    ASSERT_NO_FATAL_FAILURE(MoveWindowTo(201, 152));
    ASSERT_EQ(Stop(), 0u);

    // Already there when it becomes visible: it is moved while still hidden.
    ASSERT_NO_FATAL_FAILURE(Start());
    const RECT second = OuterRect();
    EXPECT_EQ(second.left, 201);
    EXPECT_EQ(second.top, 152);
    EXPECT_EQ(second.right - second.left, first.right - first.left) << "size kept";
    EXPECT_EQ(second.bottom - second.top, first.bottom - first.top);
    ASSERT_EQ(Stop(), 0u);
    ExpectValues(ParseWrittenIni(ReadFile("Morvane.ini")),
                 {{"WindowX", "201"}, {"WindowY", "152"}});
}

TEST_F(SettingsLogTest, RestoreWindowOffLeavesTheWindowCentredYetSavesItsPlace) {
    WriteFile("Morvane.ini", "[Morvane SetUp]\r\nEnableRestoreWindow = 0\r\nWindowX = 201\r\n"
                             "WindowY = 152\r\n");
    ASSERT_NO_FATAL_FAILURE(Start());
    const POINT centred = CentredPosition();
    const RECT outer = OuterRect();
    EXPECT_EQ(outer.left, centred.x);
    EXPECT_EQ(outer.top, centred.y);
    ASSERT_EQ(Stop(), 0u);
    ExpectValues(ParseWrittenIni(ReadFile("Morvane.ini")),
                 {{"EnableRestoreWindow", "0"},
                  {"WindowX", std::to_string(centred.x)},
                  {"WindowY", std::to_string(centred.y)}});
}

TEST_F(SettingsLogTest, GarbageAndOutOfRangeValuesDoNotStopTheProgram) {
    std::string garbage = "\xEF\xBB\xBF junk before the group\r\nAskTerminate = 4\r\n"
                          "[Morvane SetUp]\r\n"
                          "AskTerminate = banana\r\n"
                          "LogInfoStyle = 99999999999999999999999\r\n"
                          "EnableShowInfo = -99999999999\r\n"
                          "EnableSaveInfo = +0000000000000000000000000007xyz\r\n"
                          "EnableTaskFreeze = 2147483648\r\n"
                          "EnableTaskTerminate = -2147483649\r\n"
                          "EnableDetectOwnTask\r\n"
                          "\tEnableRestoreWindow = 0\r\n" // a tab before the key: no match
                          "WindowX = 99999999999\r\n"
                          "WindowY = -99999999999\r\n"
                          "=\r\n= = =\r\n\r\n\r\n";
    garbage += std::string("\x00\xFF\x01 binary = \x00\r\n", 16);
    garbage += std::string(20000, 'x') + " = 1\r\n";
    garbage += "CurrentDir = "; // empty, and no line end at the end of the file
    WriteFile("Morvane.ini", garbage);
    ASSERT_NO_FATAL_FAILURE(Start());

    // A style that is neither 8 nor 16 adds no prefix; a nonzero flag shows the log list.
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(IsTaskCountLine(lines[0])) << lines[0];
    const RECT client = ClientRect(window_);
    EXPECT_EQ(client.bottom - client.top, 400);
    const RECT outer = OuterRect();
    ASSERT_EQ(Stop(), 0u);

    ExpectValues(ParseWrittenIni(ReadFile("Morvane.ini")), {{"AskTerminate", "0"},
                                                            {"LogInfoStyle", "2147483647"},
                                                            {"EnableShowInfo", "-2147483648"},
                                                            {"EnableSaveInfo", "7"},
                                                            {"EnableTaskFreeze", "2147483647"},
                                                            {"EnableTaskTerminate", "-2147483648"},
                                                            {"EnableDetectOwnTask", "1"},
                                                            {"EnableRestoreWindow", "1"},
                                                            {"WindowX", std::to_string(outer.left)},
                                                            {"WindowY", std::to_string(outer.top)},
                                                            {"CurrentDir", ""}});
    EXPECT_EQ(ParseLogFile(ReadFile("Morvane.log")).size(), 1u) << "EnableSaveInfo 7 is on";
}

// --- The session log file -----------------------------------------------------------------------

TEST_F(SettingsLogTest, EachRunAppendsOneBlockAndKeepsTheEarlierOnes) {
    WriteFile("Morvane.ini", "[Morvane SetUp]\r\nLogInfoStyle = 32\r\n");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Refresh());
    ASSERT_NO_FATAL_FAILURE(Refresh());
    const std::vector<std::string> firstLines = LogLines();
    ASSERT_EQ(firstLines.size(), 3u);
    ASSERT_EQ(Stop(), 0u);

    const std::string first = ReadFile("Morvane.log");
    std::vector<LogBlock> blocks = ParseLogFile(first);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].entries, firstLines) << "the lines of the run, as listed";
    for (const std::string& entry : blocks[0].entries)
        EXPECT_TRUE(IsTaskCountLine(entry)) << "style 32 adds no prefix: " << entry;
    ExpectBlockTimes(blocks[0]);

    // The second run in the same folder, now with the time of day before each line.
    std::string ini = ReadFile("Morvane.ini");
    const size_t style = ini.find("LogInfoStyle = 32\r\n");
    ASSERT_NE(style, std::string::npos) << ini;
    ini.replace(style, 19, "LogInfoStyle = 16\r\n");
    WriteFile("Morvane.ini", ini);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Refresh());
    const std::vector<std::string> secondLines = LogLines();
    ASSERT_EQ(secondLines.size(), 2u);
    ASSERT_EQ(Stop(), 0u);

    const std::string both = ReadFile("Morvane.log");
    ASSERT_GT(both.size(), first.size());
    EXPECT_EQ(both.compare(0, first.size(), first), 0) << "the first block is kept byte for byte";
    blocks = ParseLogFile(both);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].entries, secondLines);
    for (const std::string& entry : blocks[1].entries) {
        EXPECT_TRUE(HasTimePrefix(entry)) << entry;
        EXPECT_TRUE(IsTaskCountLine(entry.substr(std::min<size_t>(15, entry.size())))) << entry;
    }
    ExpectBlockTimes(blocks[1]);
    EXPECT_LE(blocks[0].endAt, blocks[1].startAt);
}

TEST_F(SettingsLogTest, StyleEightNumbersTheLinesFromOne) {
    WriteFile("Morvane.ini", "[Morvane SetUp]\r\nLogInfoStyle = 8\r\n");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Refresh());
    ASSERT_NO_FATAL_FAILURE(Refresh());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string prefix = "[ " + std::to_string(i + 1) + " ] - ";
        EXPECT_EQ(lines[i].rfind(prefix, 0), 0u) << lines[i];
        EXPECT_TRUE(IsTaskCountLine(lines[i].substr(prefix.size()))) << lines[i];
    }
    ListBoxDump dump;
    ASSERT_TRUE(DumpListBox(Control(LogList), &dump));
    EXPECT_EQ(dump.selected, 2) << "the newest line is selected";
    ASSERT_EQ(Stop(), 0u);

    const std::vector<LogBlock> blocks = ParseLogFile(ReadFile("Morvane.log"));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].entries, lines);
}

TEST_F(SettingsLogTest, HiddenLogListStillWritesItsLinesToTheFile) {
    WriteFile("Morvane.ini", "[Morvane SetUp]\r\nEnableShowInfo = 0\r\nLogInfoStyle = 32\r\n");
    ASSERT_NO_FATAL_FAILURE(Start());

    const RECT client = ClientRect(window_);
    EXPECT_EQ(client.right - client.left, 410);
    EXPECT_EQ(client.bottom - client.top, 324);
    RECT expectedOuter = {0, 0, 410, 324};
    ASSERT_TRUE(AdjustWindowRectEx(&expectedOuter,
                                   static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE)), FALSE,
                                   static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_EXSTYLE))));
    const RECT outer = OuterRect();
    EXPECT_EQ(outer.bottom - outer.top, expectedOuter.bottom - expectedOuter.top);
    // The list still exists, below the visible part of the window.
    ControlInfo log;
    ASSERT_TRUE(GetControl(window_, LogList, &log));
    EXPECT_GE(log.rect.top, client.bottom);

    ASSERT_NO_FATAL_FAILURE(Refresh());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(Stop(), 0u);

    const std::vector<LogBlock> blocks = ParseLogFile(ReadFile("Morvane.log"));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].entries, lines);
}

TEST_F(SettingsLogTest, SaveInfoOffNeitherCreatesNorTouchesTheLog) {
    WriteFile("Morvane.ini", "[Morvane SetUp]\r\nEnableSaveInfo = 0\r\n");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Refresh());
    ASSERT_EQ(Stop(), 0u);
    EXPECT_FALSE(Exists(PathOf("Morvane.log")));
    ExpectValues(ParseWrittenIni(ReadFile("Morvane.ini")), {{"EnableSaveInfo", "0"}});

    // An earlier log, without a final line end, stays exactly as it was.
    const std::string earlier = "[ Session-Log: 01-02-2003 / 04:05:06 ]\r\n  old line";
    WriteFile("Morvane.log", earlier);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(Stop(), 0u);
    EXPECT_EQ(ReadFile("Morvane.log"), earlier);
}

// --- Any folder ---------------------------------------------------------------------------------

// Morvane in a folder named in Cyrillic and Chinese letters, then in one about 300 characters
// deep: each time a hand-edited settings file is read and written back with the window's place,
// and the session block is appended to the log already there.
TEST_F(SettingsLogTest, BothFilesFollowTheProgramIntoAnyFolder) {
    const std::wstring mixed = L"\x0416\x0443\x0440\x043D\x0430\x043B \x5F20\x4F1F";
    const std::string earlier = "[ Session-Log: 01-02-2003 / 04:05:06 ]\r\n";
    for (const std::wstring& folder : {mixed, DeepSubfolder(300)}) {
        SCOPED_TRACE("folder of " + std::to_string(folder_.size() + folder.size()) + " characters");
        ASSERT_NO_FATAL_FAILURE(MoveProgram(folder));
        WriteFile("Morvane.ini", "[Morvane SetUp]\r\nAskTerminate = 2\r\nLogInfoStyle = 8\r\n");
        WriteFile("Morvane.log", earlier);
        ASSERT_NO_FATAL_FAILURE(Start());
        const std::vector<std::string> lines = LogLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(IsTaskCountLine(lines[0].substr(std::min<size_t>(8, lines[0].size()))) &&
                    lines[0].rfind("[ 1 ] - ", 0) == 0)
            << lines[0];
        ASSERT_NO_FATAL_FAILURE(MoveWindowTo(150, 110));
        ASSERT_EQ(Stop(), 0u);

        // A folder that the code page cannot hold is never written, not even as "?": the file
        // keeps the last folder it could hold, here none.
        auto expected = Defaults(folder == mixed ? "" : AnsiText(home_));
        expected["AskTerminate"] = "2";
        expected["LogInfoStyle"] = "8";
        expected["WindowX"] = "150";
        expected["WindowY"] = "110";
        ExpectValues(ParseWrittenIni(ReadFile("Morvane.ini")), expected);
        const std::string log = ReadFile("Morvane.log");
        ASSERT_EQ(log.compare(0, earlier.size(), earlier), 0) << log;
        const std::vector<LogBlock> blocks = ParseLogFile(log.substr(earlier.size()));
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(blocks[0].entries, lines);
    }
}

// Windows 10 and 11 can run every program in the UTF-8 code page ("Use Unicode UTF-8 for
// worldwide language support"); here the program's manifest asks for it. A name outside every
// single-byte code page, in the program's folder and in a file beside it that the log names,
// reaches both files whole, in UTF-8.
TEST_F(SettingsLogTest, UnderTheUtf8CodePageBothFilesHoldEveryNameInUtf8) {
    const std::wstring mixed = L"\x0416\x0443\x0440\x043D\x0430\x043B \x5F20\x4F1F";
    ASSERT_NO_FATAL_FAILURE(MoveProgram(mixed));
    ASSERT_NO_FATAL_FAILURE(UseCodePage("UTF-8"));
    ASSERT_TRUE(testsupport::WriteTextFile(home_ + L"Morvane.log." + mixed + L".pending", "x"));
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    ASSERT_EQ(Stop(), 0u);
    EXPECT_EQ(ParseWrittenIni(ReadFile("Morvane.ini"))["CurrentDir"], Utf8(home_));
    EXPECT_NE(ReadFile("Morvane.log")
                  .find("\r\n  Not merged: Morvane.log." + Utf8(mixed) + ".pending\r\n"),
              std::string::npos);
}

// --- Files that cannot be written ---------------------------------------------------------------

// Both files held open without sharing while the program ends, as a read-only folder or another
// program would keep them from being written. Nothing already there may be lost.
TEST_F(SettingsLogTest, FilesThatCannotBeWrittenAreLeftAsTheyWereAndTheProgramStillEnds) {
    WriteFile("Morvane.ini", "[Morvane SetUp]\r\nLogInfoStyle = 32\r\n");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(MoveWindowTo(160, 120));
    ASSERT_EQ(Stop(), 0u);
    const DWORD normalCloseMs = closeMs_;
    const std::string ini = ReadFile("Morvane.ini");
    const std::string log = ReadFile("Morvane.log");
    ASSERT_EQ(ParseLogFile(log).size(), 1u);

    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(MoveWindowTo(300, 200));
    ASSERT_NO_FATAL_FAILURE(Refresh());
    {
        Handle heldIni(CreateFileA(PathOf("Morvane.ini").c_str(), GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        Handle heldLog(CreateFileA(PathOf("Morvane.log").c_str(), GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(heldIni && heldLog);
        // The hold really keeps others out.
        Handle probe(CreateFileA(PathOf("Morvane.log").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_FALSE(probe);
        ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

        EXPECT_EQ(Stop(), 0u);
        std::printf("closing took %lu ms with the files held, %lu ms without\n", closeMs_,
                    normalCloseMs);
        EXPECT_LT(closeMs_, normalCloseMs + kLogBusyWaitMs + 2000)
            << "no waiting for the files beyond the log's own wait";
    }
    EXPECT_EQ(ReadFile("Morvane.ini"), ini);
    EXPECT_EQ(ReadFile("Morvane.log"), log);
    const std::wstring pending = L"Morvane.log." + std::to_wstring(app_.Id()) + L".pending";
    EXPECT_EQ(Entries(home_),
              (std::vector<std::wstring>{L"Morvane.exe", L"Morvane.ini", L"Morvane.log", pending}))
        << "no half-written file left behind";
}

// Morvane.log held by another program until after the end of the run: the block waits beside
// it, and the next start appends it after what was there and before its own block.
TEST_F(SettingsLogTest, ABlockThatFindsTheLogHeldIsAppendedByTheNextStart) {
    const std::string earlier = "[ Session-Log: 01-02-2003 / 04:05:06 ]\r\n"
                                "[ Session-End: 01-02-2003 / 04:05:07 ]\r\n\r\n";
    WriteFile("Morvane.log", earlier);
    ASSERT_NO_FATAL_FAILURE(LaunchWith());
    const std::vector<std::string> first = LogLines();
    {
        Handle held(CreateFileA(PathOf("Morvane.log").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        ASSERT_EQ(Stop(), 0u);
    }
    const std::string pending = "Morvane.log." + std::to_string(app_.Id()) + ".pending";
    EXPECT_EQ(ReadFile("Morvane.log"), earlier);
    const std::string waiting = ReadFile(pending);
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(ReadFile("Morvane.log"), earlier + waiting) << "appended at the start";
    EXPECT_FALSE(Exists(PathOf(pending)));
    const std::vector<std::string> second = LogLines();
    ASSERT_EQ(Stop(), 0u);
    const std::vector<LogBlock> blocks = ParseLogFile(ReadFile("Morvane.log"));
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[1].entries, first);
    EXPECT_EQ(blocks[2].entries, second);
}

// Wine refuses a file whose path on the host passes the host's length limit. Just short of it
// the program, under a short name, still starts, yet no file of its own fits beside it: a folder
// that the program cannot write to. Returns the first such folder below the test's folder, or
// nothing when the system takes files at any depth tried (Windows does).
std::wstring FolderThatTakesNoNewFile(const std::wstring& home,
                                      const std::wstring& name = L"Morvane.ini") {
    std::wstring sub;
    for (const std::wstring& step : {std::wstring(100, L'd'), std::wstring(L"d")}) {
        for (std::wstring next; (next = sub + (sub.empty() ? L"" : L"\\") + step).size() < 8000;
             sub = next) {
            if (!CreateDirectoryW(testsupport::LongPath(home + next).c_str(), nullptr)) break;
            const Handle probe(CreateFileW(
                testsupport::LongPath(home + next + L"\\" + name).c_str(), GENERIC_WRITE, 0,
                nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
            if (!probe && step.size() == 1) return next;
            if (!probe) break;
        }
    }
    return std::wstring();
}

TEST_F(SettingsLogTest, AFolderThatTakesNoNewFileIsToldAtTheStartAndTheWindowWorks) {
    const std::wstring folder = FolderThatTakesNoNewFile(home_);
    ASSERT_FALSE(folder.empty()) << "needs a folder that takes no new file, as Wine makes one";
    ASSERT_NO_FATAL_FAILURE(MoveProgram(folder, L"M.exe"));
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 3u); // in the default style: no settings file can be read there
    EXPECT_EQ(lines[0].substr(15), "Can't save: Morvane.ini");
    EXPECT_EQ(lines[1].substr(15), "Can't save: Morvane.log");
    EXPECT_TRUE(IsTaskCountLine(lines[2].substr(15))) << lines[2];
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Stop(), 0u);
    EXPECT_EQ(Entries(home_), std::vector<std::wstring>{L"M.exe"});
}

// A folder that takes a file as long as "Morvane.log", but not the settings file's longer
// temporary name: only the settings are said to be lost at the start, and the run's block,
// appended to the log there, ends saying so again.
TEST_F(SettingsLogTest, SettingsThatCannotBeSavedAreNamedAtTheStartAndAtTheEndOfTheBlock) {
    const std::wstring folder =
        FolderThatTakesNoNewFile(home_, L"Morvane.ini.0123456789abcdef.tmp");
    ASSERT_FALSE(folder.empty()) << "needs a folder that takes no new file, as Wine makes one";
    ASSERT_NO_FATAL_FAILURE(MoveProgram(folder, L"M.exe"));
    WriteFile("Morvane.log", "");
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(15), "Can't save: Morvane.ini");
    EXPECT_EQ(Stop(), 0u);
    const std::vector<LogBlock> blocks = ParseLogFile(ReadFile("Morvane.log"));
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].entries.size(), 3u);
    EXPECT_EQ(blocks[0].entries[2].substr(15), "Can't save: Morvane.ini");
    EXPECT_EQ(Entries(home_), (std::vector<std::wstring>{L"M.exe", L"Morvane.log"}));
}

// At exit another program holds Morvane.log for a moment without sharing (an editor, or a second
// Morvane appending its own block). The block waits for the log, and the settings are saved all
// the same. (The settings file's temporary names are random, so nothing can be planted at them
// from outside; the window-side tests plant folders and links there through a stand-in for the
// random source.)
TEST_F(SettingsLogTest, ABusyLogStillLetsBothFilesBeWritten) {
    WriteFile("Morvane.ini", "[Morvane SetUp]\r\nLogInfoStyle = 32\r\nAskTerminate = 4\r\n");
    WriteFile("Morvane.log", "");
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::vector<std::string> lines = LogLines();
    {
        Handle held(CreateFileA(PathOf("Morvane.log").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held && PostMessageA(window_, WM_CLOSE, 0, 0));
        // Held for half the time the program waits: the other half is the margin for a loaded
        // machine, on which this thread may wake late.
        EXPECT_FALSE(app_.WaitExit(kLogBusyWaitMs / 2)) << "ended while the log was held";
    }
    DWORD code = ~0u;
    EXPECT_TRUE(app_.WaitExit(e2e::kWaitMs, &code) && code == 0);
    ExpectValues(ParseWrittenIni(ReadFile("Morvane.ini")), {{"AskTerminate", "4"}});
    const std::vector<LogBlock> blocks = ParseLogFile(ReadFile("Morvane.log"));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].entries, lines);
    EXPECT_EQ(Entries(home_),
              (std::vector<std::wstring>{L"Morvane.exe", L"Morvane.ini", L"Morvane.log"}));
}

// Windows ends the session: the loops get no close event and the process may end as soon as the
// message is answered, so both files are on disk by then. Ended after all, the run adds no
// second block.
TEST_F(SettingsLogTest, EndOfTheWindowsSessionKeepsLogAndSettingsOnce) {
    WriteFile("Morvane.ini", "[Morvane SetUp]\r\nLogInfoStyle = 32\r\n");
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::vector<std::string> lines = LogLines();
    DWORD_PTR agreed = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window_, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL,
                                    kMessageTimeoutMs, &agreed));
    EXPECT_NE(agreed, 0u) << "the session may end";
    ASSERT_TRUE(SendMessageTimeoutA(window_, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, kMessageTimeoutMs,
                                    nullptr));
    ExpectValues(ParseWrittenIni(ReadFile("Morvane.ini")), {{"LogInfoStyle", "32"}});
    const std::string log = ReadFile("Morvane.log");
    const std::vector<LogBlock> blocks = ParseLogFile(log);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].entries, lines);
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Stop(), 0u);
    EXPECT_EQ(ReadFile("Morvane.log"), log);
}

} // namespace
