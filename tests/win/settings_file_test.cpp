#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "base/ansi_text_win.h"
#include "base/file_path.h"
#include "base/handle_win.h"
#include "base/plain_file_win.h"
#include "base/whole_file_win.h"
#include "proc/process_api.h"
#include "settings/log_text.h"
#include "settings/session_log.h"
#include "settings/program_paths.h"
#include "settings/run_files.h"
#include "settings/settings.h"
#include "settings/settings_text.h"
#include "settings/time_format.h"
#include "ui/log_list.h"
#include "win/test_support.h"

namespace {

using driver::Handle;
using testsupport::Entries;
using testsupport::Exists;
using testsupport::ReadTextFile;

// The long-path form of a test path.
std::wstring Long(const std::string& path) {
    return testsupport::LongPath(WideText(path));
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(testsupport::WriteTextFile(path, bytes)) << path;
}

// Symbolic links as Windows treats them, which Wine cannot make: an empty file whose index is
// listed. Opened without FILE_FLAG_OPEN_REPARSE_POINT the call goes on to the target; with it the
// link itself opens, and reads as a reparse point. The n-th random name part is 16 times the hex
// digit of n modulo 16.
std::map<std::wstring, std::wstring> g_LinkTargets;
std::vector<DWORD> g_LinkIndexes;
int g_RandomCount = 0;

HANDLE WINAPI OpenStandIn(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                          DWORD disposition, DWORD flags, HANDLE model) {
    const auto link = g_LinkTargets.find(name);
    const bool follow = link != g_LinkTargets.end() && !(flags & FILE_FLAG_OPEN_REPARSE_POINT);
    return CreateFileW(follow ? link->second.c_str() : name, access, share, sa, disposition, flags,
                       model);
}
BOOL WINAPI InformationStandIn(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
    const BOOL got = GetFileInformationByHandle(file, info);
    if (got && std::count(g_LinkIndexes.begin(), g_LinkIndexes.end(), info->nFileIndexLow))
        info->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return got;
}
bool RandomStandIn(void* buffer, size_t size) {
    std::memset(buffer, 0x11 * (++g_RandomCount % 16), size);
    return true;
}
// Files whose index is listed cannot be taken away: a block left by an administrator that a
// standard user may read but not delete.
std::vector<DWORD> g_KeptIndexes;
bool (*g_RealMark)(HANDLE, bool) = nullptr;
bool MarkStandIn(HANDLE file, bool gone) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (gone && GetFileInformationByHandle(file, &info) &&
        std::count(g_KeptIndexes.begin(), g_KeptIndexes.end(), info.nFileIndexLow))
        return false;
    return g_RealMark(file, gone);
}
// A code page as Windows treats it where Wine is laxer: UTF-8 and GB18030 refuse
// WC_NO_BEST_FIT_CHARS, and UTF-8 the report of a default character. Wine lacks GB18030: its
// GBK subset, which writes the test's characters alike, converts in its place.
UINT g_Page = 0;
UINT WINAPI PageStandIn() {
    return g_Page;
}
UINT Converted(UINT page) {
    page = page == CP_ACP ? g_Page : page;
    return page == 54936 ? 936 : page;
}
int WINAPI NarrowStandIn(UINT page, DWORD flags, LPCWCH text, int length, LPSTR out, int size,
                         LPCCH defaultChar, LPBOOL usedDefault) {
    SetLastError(ERROR_INVALID_FLAGS);
    if (flags & WC_NO_BEST_FIT_CHARS) return 0;
    SetLastError(ERROR_INVALID_PARAMETER);
    if (Converted(page) == CP_UTF8 && usedDefault != nullptr) return 0;
    return WideCharToMultiByte(Converted(page), flags, text, length, out, size, defaultChar,
                               usedDefault);
}
int WINAPI WideStandIn(UINT page, DWORD flags, LPCCH text, int length, LPWSTR out, int size) {
    return MultiByteToWideChar(Converted(page), flags, text, length, out, size);
}
void PlantLink(const std::string& link, const std::string& target) {
    HANDLE body = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    ASSERT_TRUE(GetFileInformationByHandle(body, &info)) << link;
    CloseHandle(body);
    g_LinkIndexes.push_back(info.nFileIndexLow);
    g_LinkTargets[WideText(link)] = WideText(target);
}

// The local wall clock now as "dd-mm-yyyy / hh:ii:ss", read here rather than through the program.
std::string LocalClock() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%02u-%02u-%04u / %02u:%02u:%02u", t.wDay, t.wMonth, t.wYear,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}

// Whether local time and UTC differ here, so that a clock in UTC would show. ctest runs this
// program with TZ set to a zone 5:45 east of UTC.
bool AwayFromUtc() {
    TIME_ZONE_INFORMATION zone{};
    const DWORD kind = GetTimeZoneInformation(&zone);
    return zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0) != 0;
}

LRESULT CALLBACK TestWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, msg, wp, lp);
}

// A scratch folder that plays the program's folder, and a hidden main window with a log list.
class SettingsFileTest : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = testsupport::MakeTempFolder("morvane-settings");
        ASSERT_FALSE(folder_.empty());
        savedBase_ = SettingsBasePath;
        UseBase(folder_ + "Morvane");
        SetSettingsDefaults(g_Settings, WideText(folder_), folder_);

        WNDCLASSA wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MorvaneSettingsTestWindow";
        RegisterClassA(&wc); // a second registration fails harmlessly
        window_ = CreateWindowExA(0, wc.lpszClassName, "Morvane",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 100,
                                  100, 426, 439, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY, 5, 324,
                        400, 70, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(LogList)),
                        wc.hInstance, nullptr);
        savedWindow_ = g_MainWindow; // other suites share the program's main window
        g_MainWindow = window_;
        ASSERT_NE(Control(LogList), nullptr);
        g_LogLineCount = 0;
        SetLogSink({AppendLogListLine, LogListLines, PauseAnswering});
        savedCalls_ = g_FileCalls;
        g_RealMark = savedCalls_.markForDeletion;
        g_FileCalls = {OpenStandIn, InformationStandIn, RandomStandIn, MarkStandIn};
        g_LinkTargets.clear();
        g_LinkIndexes.clear();
        g_KeptIndexes.clear();
        g_RandomCount = 0;
    }

    void TearDown() override {
        g_FileCalls = savedCalls_;
        g_MainWindow = savedWindow_;
        if (window_ != nullptr) DestroyWindow(window_);
        SettingsBasePath = savedBase_;
        testsupport::RemoveFolder(folder_);
    }

    HWND savedWindow_ = nullptr;
    FileCalls savedCalls_{};

    // Makes an ANSI path the base of both files.
    void UseBase(const std::string& base) {
        base_ = base;
        SettingsBasePath = WideText(base);
    }
    std::string IniPath() const { return base_ + ".ini"; }
    // The settings file's temporary name from the n-th random name part.
    std::string Temporary(int n) const {
        return IniPath() + "." + std::string(16, "0123456789abcdef"[n % 16]) + ".tmp";
    }
    std::string LogPath() const { return base_ + ".log"; }

    void MoveTo(int x, int y) {
        SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    POINT Position() const {
        RECT r{};
        GetWindowRect(window_, &r);
        return POINT{r.left, r.top};
    }
    std::vector<std::string> ListLines() const {
        std::vector<std::string> lines;
        for (const std::wstring& line : LogListLines())
            lines.push_back(testsupport::Utf8(line));
        return lines;
    }

    std::string folder_;
    std::string base_;
    std::wstring savedBase_;
    HWND window_ = nullptr;
};

std::string ExpectedDefaultFile(const std::string& dir, int x, int y) {
    return "[Morvane SetUp]\r\nAskTerminate = 1\r\nLogInfoStyle = 16\r\n"
           "EnableTaskTerminate = 1\r\nEnableTaskFreeze = 1\r\nEnableDetectOwnTask = 1\r\n"
           "EnableShowInfo = 1\r\nEnableSaveInfo = 1\r\nEnableRestoreWindow = 1\r\n"
           "WindowX = " +
           std::to_string(x) + "\r\nWindowY = " + std::to_string(y) + "\r\nCurrentDir = " + dir +
           "\r\n";
}

} // namespace

// The files lie beside the exe that runs, whatever it is called, as the system names its path.
TEST(ProgramPathsWin, FolderOfTheRunningExe) {
    wchar_t path[MAX_PATH] = {};
    const std::wstring exe(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\') + 1);
    ASSERT_EQ(exe.substr(folder.size()), L"win_tests.exe");
    EXPECT_EQ(OwnProgramPath(), exe);
    EXPECT_EQ(OwnExeName(), L"win_tests.exe");
    SetProgramPaths();
    EXPECT_EQ(ProgramFolder, folder);
    EXPECT_EQ(SettingsBasePath, folder + L"Morvane");
}

TEST_F(SettingsFileTest, SaveWritesExactBytesAndLeavesNoTemporaryFile) {
    MoveTo(120, 80);
    SaveSettings(CornerToKeep(window_));
    EXPECT_EQ(ReadTextFile(IniPath()), ExpectedDefaultFile(folder_, 120, 80));
    EXPECT_EQ(Entries(Long(folder_)), std::vector<std::wstring>{L"Morvane.ini"});
}

TEST_F(SettingsFileTest, SaveReplacesALongerOldFileEntirely) {
    WriteFileBytes(IniPath(), std::string(100000, 'x'));
    g_Settings.AskTerminate = 4;
    g_Settings.EnableShowInfo = 0;
    // The dialogs' last folder is one the code page cannot hold: the file keeps the one before.
    SetCurrentDir(g_Settings, L"D:\\Data\\");
    SetCurrentDir(g_Settings, L"D:\\\x5F20\x4F1F\\");
    EXPECT_EQ(g_Settings.CurrentDir, L"D:\\\x5F20\x4F1F\\");
    MoveTo(-20, 7);
    SaveSettings(CornerToKeep(window_));
    std::string expected = ExpectedDefaultFile("D:\\Data\\", -20, 7);
    expected.replace(expected.find("AskTerminate = 1"), 16, "AskTerminate = 4");
    expected.replace(expected.find("EnableShowInfo = 1"), 18, "EnableShowInfo = 0");
    EXPECT_EQ(ReadTextFile(IniPath()), expected);
}

TEST_F(SettingsFileTest, FailedSaveLeavesTheOldFileIntact) {
    const std::string old = "[Morvane SetUp]\r\nAskTerminate = 2\r\n";
    WriteFileBytes(IniPath(), old);
    // Every temporary name the two saves would try is taken by a folder, so the new content
    // cannot be written anywhere.
    for (int i = 0; i < 16; ++i)
        ASSERT_TRUE(CreateDirectoryA(Temporary(i).c_str(), nullptr));
    SaveSettings(CornerToKeep(window_));
    EXPECT_EQ(ReadTextFile(IniPath()), old);
    EXPECT_FALSE(ReplaceFileContent(WideText(IniPath()), "new"));
    EXPECT_EQ(ReadTextFile(IniPath()), old);
    // Without a random source no name is made up.
    g_FileCalls.randomBytes = [](void*, size_t) { return false; };
    EXPECT_FALSE(ReplaceFileContent(WideText(IniPath()), "new"));
    EXPECT_EQ(ReadTextFile(IniPath()), old);
}

// Held open by another program that does not let it be replaced, or made read-only (which Wine,
// running as root, would not stop): the start says so, and the save leaves it as it is.
TEST_F(SettingsFileTest, OldFileThatCannotBeReplacedStaysAndTheTemporaryGoes) {
    const std::string old = "[Morvane SetUp]\r\nAskTerminate = 2\r\n";
    WriteFileBytes(IniPath(), old);
    g_Settings.LogInfoStyle = 32;
    for (bool held : {true, false}) {
        HANDLE holder = CreateFileA(IniPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        if (!held) {
            CloseHandle(holder);
            ASSERT_TRUE(SetFileAttributesA(IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
        }
        ReportUnsavableFiles();
        EXPECT_EQ(ListLines(), std::vector<std::string>{"Can't save: Morvane.ini"});
        EXPECT_FALSE(SaveSettings(CornerToKeep(window_)));
        if (held) CloseHandle(holder);
        EXPECT_EQ(ReadTextFile(IniPath()), old);
        EXPECT_EQ(Entries(Long(folder_)), std::vector<std::wstring>{L"Morvane.ini"});
        SendMessageA(Control(LogList), LB_RESETCONTENT, 0, 0);
    }
    SetFileAttributesA(IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Links to a file and to a missing one, and second names of a file, planted at Morvane.log and
// at the first temporary name of a save: nothing is written through them, and the settings are
// saved all the same.
TEST_F(SettingsFileTest, NothingIsWrittenThroughLinksOrSecondNames) {
    const std::string target = folder_ + "target";
    WriteFileBytes(target, "target");
    for (int row = 0; row < 3; ++row) {
        UseBase(folder_ + "Morvane" + std::to_string(row));
        for (const std::string& at : {LogPath(), Temporary(2 * row + 1)}) {
            if (row < 2) PlantLink(at, row == 0 ? target : folder_ + "missing");
            ASSERT_TRUE(row < 2 || CreateHardLinkA(at.c_str(), target.c_str(), nullptr));
        }
        SessionHeader = "H";
        WriteSessionLog();
        SaveSettings(CornerToKeep(window_));
        EXPECT_EQ(ReadTextFile(target), "target") << row;
        EXPECT_FALSE(Exists(folder_ + "missing")) << row;
        EXPECT_EQ(ReadTextFile(IniPath()).substr(0, 15), "[Morvane SetUp]") << row;
    }
}

// Paths as they may come, made full before the long-path form; device paths stay as they are.
// Each that names a file in the test's folder is saved there.
TEST_F(SettingsFileTest, PathsAreMadeFullBeforeTheirLongPathForm) {
    const std::wstring dir = WideText(folder_);
    const std::wstring deep(240, L'd');
    ASSERT_TRUE(CreateDirectoryW((dir + deep).c_str(), nullptr));
    wchar_t current[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 0u);
    const struct {
        std::wstring given, full;
    } rows[] = {
        {dir + L"sub\\..\\.\\x.txt", dir + L"x.txt"},
        {dir + L"sub/../" + deep + L"/x", L"\\\\?\\" + dir + deep + L"\\x"},
        {L"\\\\?\\" + dir + L"y.txt", L"\\\\?\\" + dir + L"y.txt"},
        {L"z.txt", std::wstring(current) + L"\\z.txt"},
        {L"//?/" + dir + L"sub/../a", L"//?/" + dir + L"sub/../a"},
        {L"\\\\.\\pipe\\..\\a", L"\\\\.\\pipe\\..\\a"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FileCallPath(row.given), row.full);
        if (row.full.find(dir) != 0 && row.full.find(L"\\\\?\\" + dir) != 0) continue;
        EXPECT_TRUE(ReplaceFileContent(row.given, "saved")) << row.full.size();
        EXPECT_EQ(testsupport::ReadTextFile(row.full), "saved") << row.full.size();
    }
}

TEST_F(SettingsFileTest, SaveIntoAMissingFolderCreatesNothing) {
    UseBase(folder_ + "missing\\Morvane");
    SaveSettings(CornerToKeep(window_));
    EXPECT_FALSE(Exists(folder_ + "missing"));
    EXPECT_FALSE(Exists(IniPath()));
}

// Both files in folders at every path length around the system's limits. The settings file's
// temporary name is a few characters longer than the file's own, so the two cross the limits
// at different lengths.
TEST_F(SettingsFileTest, BothFilesAreKeptWhateverTheLengthOfTheirPath) {
    const std::string tail = "\\Morvane.ini";
    for (size_t length = kLongPathFrom - 16; length <= MAX_PATH + 16; ++length) {
        const std::string folder =
            folder_ + std::string(length - folder_.size() - tail.size(), 'd');
        ASSERT_EQ((folder + tail).size(), length);
        ASSERT_TRUE(CreateDirectoryW(Long(folder).c_str(), nullptr)) << length;
        UseBase(folder + "\\Morvane");
        g_Settings.AskTerminate = 4;
        SaveSettings(CornerToKeep(window_));
        g_Settings.AskTerminate = 1;
        LoadSettingsAndPlace(window_);
        EXPECT_EQ(g_Settings.AskTerminate, 4) << "settings file of " << length << " characters";
        SessionHeader = "H";
        WriteSessionLog();
        EXPECT_EQ(ReadTextFile(LogPath()).substr(0, 3), "H\r\n") << length;
        EXPECT_EQ(Entries(Long(folder)),
                  (std::vector<std::wstring>{L"Morvane.ini", L"Morvane.log"}))
            << "nothing else is left at " << length;
    }
}

TEST_F(SettingsFileTest, MinimisedWindowSavesItsRestoredPosition) {
    MoveTo(210, 150);
    ShowWindow(window_, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(window_));
    RECT placeholder{};
    GetWindowRect(window_, &placeholder);
    ASSERT_FALSE(placeholder.left == 210 && placeholder.top == 150); // else this proves nothing
    SaveSettings(CornerToKeep(window_));
    const std::string text = ReadTextFile(IniPath());
    EXPECT_NE(text.find("\r\nWindowX = 210\r\nWindowY = 150\r\n"), std::string::npos) << text;
    ShowWindow(window_, SW_HIDE);
}

TEST_F(SettingsFileTest, LoadMovesTheWindowOnlyWhenAskedAndOnScreen) {
    MoveTo(100, 100);
    WriteFileBytes(IniPath(), "[Morvane SetUp]\r\nWindowX = 40\r\nWindowY = 30\r\n");
    LoadSettingsAndPlace(window_);
    EXPECT_EQ(Position().x, 40);
    EXPECT_EQ(Position().y, 30);

    MoveTo(100, 100);
    WriteFileBytes(IniPath(), "[Morvane SetUp]\r\nEnableRestoreWindow = 0\r\nWindowX = 40\r\n"
                              "WindowY = 30\r\nAskTerminate = 2\r\n");
    LoadSettingsAndPlace(window_);
    EXPECT_EQ(Position().x, 100);
    EXPECT_EQ(Position().y, 100);
    EXPECT_EQ(g_Settings.AskTerminate, 2);
    EXPECT_EQ(g_Settings.EnableRestoreWindow, 0);
}

// A saved place where the caption bar could not be grabbed, off every monitor or partly off one,
// gives way to the place of a first start in the primary monitor's work area; with only the
// border off the screen the caption bar is whole on it.
TEST_F(SettingsFileTest, PositionWithoutAWholeCaptionBarOnAMonitorIsCentred) {
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    RECT window{};
    ASSERT_TRUE(GetWindowRect(window_, &window));
    const LONG width = area.right - area.left, height = area.bottom - area.top;
    const POINT centred = {area.left + width / 2 - std::min(width, window.right - window.left) / 2,
                           area.top + height / 2 -
                               std::min(height, window.bottom - window.top) / 2};
    const struct {
        LONG x, y;
        POINT want;
    } cases[] = {{-32000, -32000, centred},
                 {area.left - 200, area.top + 5, centred},
                 {area.left - 1, area.top - 1, {area.left - 1, area.top - 1}}};
    for (const auto& c : cases) {
        MoveTo(100, 100);
        WriteFileBytes(IniPath(),
                       "[Morvane SetUp]\r\nLogInfoStyle = 8\r\nWindowX = " + std::to_string(c.x) +
                           "\r\nWindowY = " + std::to_string(c.y) + "\r\n");
        LoadSettingsAndPlace(window_);
        EXPECT_EQ(Position().x, c.want.x) << c.x << ", " << c.y;
        EXPECT_EQ(Position().y, c.want.y) << c.x << ", " << c.y;
        EXPECT_EQ(g_Settings.LogInfoStyle, 8); // the rest of the file still counts
    }
}

TEST_F(SettingsFileTest, MissingOrUnreadableFileKeepsDefaultsAndPlace) {
    MoveTo(100, 100);
    LoadSettingsAndPlace(window_);
    EXPECT_EQ(Position().x, 100);
    EXPECT_EQ(g_Settings.AskTerminate, 1);
    EXPECT_EQ(g_Settings.CurrentDir, WideText(folder_));
    // A folder where the file should be cannot be read as one.
    ASSERT_TRUE(CreateDirectoryA(IniPath().c_str(), nullptr));
    LoadSettingsAndPlace(window_);
    EXPECT_EQ(g_Settings.AskTerminate, 1);
    EXPECT_EQ(Position().x, 100);
}

TEST_F(SettingsFileTest, LoadWithoutWindowPositionKeepsThePlaceAndRoundTrips) {
    MoveTo(77, 66);
    WriteFileBytes(IniPath(), "[MORVANE SETUP]\nCurrentDir = E:\\x y\\  \nLogInfoStyle=32");
    LoadSettingsAndPlace(window_);
    EXPECT_EQ(Position().x, 77);
    EXPECT_EQ(Position().y, 66);
    EXPECT_EQ(g_Settings.CurrentDir, L"E:\\x y\\  ");
    SaveSettings(CornerToKeep(window_));
    std::string expected = ExpectedDefaultFile("E:\\x y\\  ", 77, 66);
    expected.replace(expected.find("LogInfoStyle = 16"), 17, "LogInfoStyle = 32");
    EXPECT_EQ(ReadTextFile(IniPath()), expected);
}

// Timing for the record; run with --gtest_also_run_disabled_tests.
TEST_F(SettingsFileTest, DISABLED_BenchmarkLoadOfAOneMegabyteFile) {
    std::string text = "[Morvane SetUp]\r\n";
    while (text.size() < 1024 * 1024)
        text += "; a comment line in the group\r\n";
    text += "WindowX = 50\r\nWindowY = 60\r\nAskTerminate = 4\r\n";
    WriteFileBytes(IniPath(), text);
    const int rounds = 10;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        LoadSettingsAndPlace(window_);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(g_Settings.AskTerminate, 4);
    EXPECT_EQ(Position().x, 50);
    std::printf("LoadSettings of a %zu-byte file: %.2f ms each\n", text.size(), ms / rounds);
}

TEST_F(SettingsFileTest, LogLinePrefixesFollowTheStyleAndTheListCount) {
    g_Settings.LogInfoStyle = 8;
    AddLogLine(L"first");
    AddLogLine(L"");
    EXPECT_EQ(g_LogLineCount, 2);
    g_Settings.LogInfoStyle = 16;
    const std::string before = LocalClock();
    AddLogLine(L"timed");
    const std::string after = LocalClock();
    g_Settings.LogInfoStyle = 32;
    AddLogLine(L"plain");
    g_Settings.LogInfoStyle = 0;
    AddLogLine(L"zero");
    g_Settings.LogInfoStyle = 8;
    AddLogLine(L"sixth");

    const std::vector<std::string> lines = ListLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "[ 1 ] - first");
    EXPECT_EQ(lines[1], "[ 2 ] - ");
    EXPECT_TRUE(lines[2] == "[ " + before.substr(13) + " ] - timed" ||
                lines[2] == "[ " + after.substr(13) + " ] - timed")
        << lines[2] << ", local time " << after;
    EXPECT_EQ(lines[3], "plain");
    EXPECT_EQ(lines[4], "zero");
    EXPECT_EQ(lines[5], "[ 6 ] - sixth");
    EXPECT_EQ(g_LogLineCount, 6);
    EXPECT_EQ(SendMessageA(Control(LogList), LB_GETCURSEL, 0, 0), 5);
    EXPECT_TRUE(AwayFromUtc()) << "needs a local time away from UTC (ctest sets TZ=MRV-5:45): a "
                                  "clock in UTC would pass unseen";
}

TEST_F(SettingsFileTest, NumberingFollowsTheListNotTheCallCount) {
    // Lines that reached the list some other way still count.
    SendMessageA(Control(LogList), LB_ADDSTRING, 0, (LPARAM) "earlier");
    SendMessageA(Control(LogList), LB_ADDSTRING, 0, (LPARAM) "earlier");
    g_LogLineCount = 2;
    g_Settings.LogInfoStyle = 8;
    AddLogLine(L"x");
    EXPECT_EQ(ListLines().back(), "[ 3 ] - x");
    EXPECT_EQ(g_LogLineCount, 3);

    // Without a main window nothing is counted.
    g_MainWindow = nullptr;
    AddLogLine(L"lost");
    EXPECT_EQ(g_LogLineCount, 3);
    g_MainWindow = window_;
    AddLogLine(L"y");
    EXPECT_EQ(ListLines().back(), "[ 4 ] - y");
}

TEST_F(SettingsFileTest, SessionBlockIsAppendedAfterExistingText) {
    const std::string started = LocalClock();
    BuildSessionHeader();
    const std::string header = SessionHeader;
    const std::string built = LocalClock();
    ASSERT_TRUE(header == "[ Session-Log: " + started + " ]" ||
                header == "[ Session-Log: " + built + " ]")
        << header << ", local time " << built;

    WriteFileBytes(LogPath(), "older block without line end");
    g_Settings.LogInfoStyle = 32;
    AddLogLine(L"Initialized tasks: 3");
    AddLogLine(L"Terminated: x.exe");
    const std::string before = LocalClock();
    WriteSessionLog();
    const std::string after = LocalClock();

    const std::string text = ReadTextFile(LogPath());
    const std::string head = "older block without line end" + header +
                             "\r\n  Initialized tasks: 3\r\n  Terminated: x.exe\r\n";
    ASSERT_EQ(text.substr(0, head.size()), head);
    const std::string tail = text.substr(head.size());
    EXPECT_TRUE(tail == "[ Session-End: " + before + " ]\r\n\r\n" ||
                tail == "[ Session-End: " + after + " ]\r\n\r\n")
        << tail << "local time " << after;

    // A second run only adds.
    WriteSessionLog();
    const std::string twice = ReadTextFile(LogPath());
    EXPECT_EQ(twice.substr(0, text.size()), text);
    EXPECT_EQ(twice.substr(text.size(), head.size() - 28), head.substr(28));
}

TEST_F(SettingsFileTest, EmptyRunStillWritesHeaderEndAndEmptyLine) {
    SessionHeader = "H";
    WriteSessionLog();
    const std::string text = ReadTextFile(LogPath());
    ASSERT_GE(text.size(), 7u);
    EXPECT_EQ(text.substr(0, 3), "H\r\n");
    EXPECT_EQ(text.substr(3, 15), "[ Session-End: ");
    EXPECT_EQ(text.substr(text.size() - 5), "]\r\n\r\n");
    EXPECT_EQ(text.find('\n', 3), text.size() - 3);
}

TEST_F(SettingsFileTest, SessionLogSharesReadingWithOthers) {
    WriteFileBytes(LogPath(), "x");
    HANDLE reader = CreateFileA(LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    SessionHeader = "H";
    WriteSessionLog();
    CloseHandle(reader);
    EXPECT_EQ(ReadTextFile(LogPath()).substr(0, 4), "xH\r\n");
}

TEST_F(SettingsFileTest, SessionLogThatCannotBeOpenedIsLeftAlone) {
    // Locked by another program without sharing: nothing changes.
    WriteFileBytes(LogPath(), "locked");
    HANDLE locker = CreateFileA(LogPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    SessionHeader = "H";
    WriteSessionLog();
    CloseHandle(locker);
    EXPECT_EQ(ReadTextFile(LogPath()), "locked");

    // A folder that does not exist: no file is made anywhere.
    UseBase(folder_ + "missing\\Morvane");
    WriteSessionLog();
    EXPECT_FALSE(Exists(folder_ + "missing"));
}

// A whole session block as Morvane writes it, told apart by its day.
std::string Block(int day) {
    const std::string date = "0" + std::to_string(day) + "-02-2003 / 04:05:0";
    return "[ Session-Log: " + date + "6 ]\r\n  line " + date + "\r\n[ Session-End: " + date +
           "7 ]\r\n\r\n";
}

// Files named like blocks waiting beside the log, over three runs (each start merges, each end
// merges again before its own block): Morvane's own whole blocks reach the log once, oldest file
// first; any other file stays and is named once. Then the log is held at the end: with the run's
// own name taken, the block waits under another number for the next start; with every name
// taken, the settings file counts it lost, and the next start says so.
TEST_F(SettingsFileTest, PendingBlocksReachTheLogOnceAndNothingElseDoes) {
    g_Settings.LogInfoStyle = 32;
    std::string binary(2000, '\0');
    for (size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 7919 >> 3);
    // A block in every other way, with an entry longer than any run writes.
    const std::string oversized =
        Block(5).insert(40, "  " + std::string(kPendingBlockLimit, 'x') + "\r\n");
    enum Kind { Merged, Undeletable, Other };
    const struct {
        const char* name;
        DWORD written; // the higher, the later
        std::string text;
        Kind kind;
    } rows[] = {
        {"Morvane.log.9.pending", 1, Block(1) + Block(2), Merged},
        {"Morvane.log.1000.pending", 2, Block(3), Merged},
        {"Morvane.log.7.pending", 0, Block(4), Undeletable},
        {"Morvane.log.8.pending", 0, oversized, Other},
        {"Morvane.log.6.pending", 0, binary, Other},
        {"Morvane.log.abc.pending", 0, Block(6), Other},
    };
    for (const auto& row : rows) {
        Handle file(CreateFileA((folder_ + row.name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                0, nullptr));
        const FILETIME written = {0, 0x01D00000u + row.written};
        BY_HANDLE_FILE_INFORMATION info{};
        ASSERT_TRUE(file && WriteAll(file.Get(), row.text) &&
                    SetFileTime(file.Get(), nullptr, nullptr, &written) &&
                    GetFileInformationByHandle(file.Get(), &info));
        if (row.kind == Undeletable) g_KeptIndexes.push_back(info.nFileIndexLow);
    }
    for (int run = 0; run < 3; ++run) {
        AppendPendingLogBlocks();
        SessionHeader = "H";
        EXPECT_TRUE(WriteSessionLog());
    }
    const std::string log = ReadTextFile(LogPath());
    EXPECT_EQ(log.substr(0, 3 * Block(1).size()), Block(1) + Block(2) + Block(3));
    const std::vector<std::string> lines = ListLines();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const size_t at = log.find(row.text);
        EXPECT_EQ(at != std::string::npos && at == log.rfind(row.text), row.kind == Merged);
        EXPECT_EQ(Exists(folder_ + row.name), row.kind != Merged);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("Not merged: ") + row.name),
                  row.kind == Merged ? 0 : 1);
    }

    const auto endHeld = [&] {
        Handle held(CreateFileA(LogPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0));
        ASSERT_TRUE(held);
        SaveSettingsAndLog(CornerToKeep(window_));
    };
    const auto taken = [&](uint32_t number) {
        const std::string name = LogPath() + "." + std::to_string(number) + ".pending";
        ASSERT_TRUE(CreateDirectoryA(name.c_str(), nullptr)) << name;
    };
    ASSERT_NO_FATAL_FAILURE(taken(GetCurrentProcessId()));
    SessionHeader = "[ Session-Log: 10-10-2010 / 10:10:10 ]";
    ASSERT_NO_FATAL_FAILURE(endHeld());
    // The stand-in's second random number (the first named the settings' temporary file).
    const std::string block = ReadTextFile(LogPath() + ".572662306.pending");
    EXPECT_EQ(block.substr(0, 40), SessionHeader + "\r\n");
    AppendPendingLogBlocks();
    EXPECT_EQ(ReadTextFile(LogPath()), log + block);

    for (uint32_t k = 0; k < 16; ++k) // each number the stand-in gives
        ASSERT_NO_FATAL_FAILURE(taken(k * 0x11111111u));
    ASSERT_NO_FATAL_FAILURE(endHeld());
    EXPECT_EQ(ReadTextFile(LogPath()), log + block);
    const size_t before = ListLines().size();
    LoadSettingsAndPlace(window_);
    AppendPendingLogBlocks();
    EXPECT_EQ(ListLines().size(), before + 1);
    EXPECT_EQ(ListLines().back(), "Lost log blocks: 1");
}

// Code pages that refuse the flags which keep look-alikes out, as Windows refuses them: the files
// hold every character the page has, "?" for half a pair, and read back as written.
TEST_F(SettingsFileTest, FilesKeepTheirTextInCodePagesThatRefuseTheExactFlags) {
    const std::wstring name = L"\x0416\x0443\x0440\x043D\x0430\x043B \x5F20\x4F1F";
    const std::pair<UINT, std::string> rows[] = {
        {CP_UTF8, "\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB \xE5\xBC\xA0\xE4\xBC\x9F"},
        {54936, "\xA7\xA8\xA7\xE5\xA7\xE2\xA7\xDF\xA7\xD1\xA7\xDD \xD5\xC5\xCE\xB0"},
    };
    const TextCalls system = g_TextCalls;
    for (const auto& [page, bytes] : rows) {
        g_Page = page;
        g_TextCalls = {PageStandIn, NarrowStandIn, WideStandIn};
        const std::string narrow = AnsiText(name + L"\xD800!");
        const std::wstring wide = WideText(bytes);
        g_TextCalls = system;
        EXPECT_EQ(narrow, bytes + "?!") << page;
        EXPECT_EQ(wide, name) << page;
    }
}
