// The main window and its task page, seen from outside as a user sees them.
#include "ui/control_ids.h"
#include "e2e_support.h"
#include "win/control_places.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace driver;
using e2e::MainWindowTest;
using testsupport::EndsWith;
using testsupport::SameTextIgnoringCase;

namespace {

using places::kTaskPage;

TEST_F(MainWindowTest, FirstStartShowsAFixedSizeWindowCentredOnTheScreen) {
    char title[64] = {};
    GetWindowTextA(window_, title, sizeof title);
    EXPECT_STREQ(title, "Morvane");

    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_EXSTYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the window must not be resizable";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & (WS_CHILD | WS_POPUP | WS_VSCROLL | WS_HSCROLL));
    // The system adds the window edge to every captioned window; nothing else is asked for.
    EXPECT_EQ(exStyle & ~static_cast<DWORD>(WS_EX_WINDOWEDGE), 0u);
    EXPECT_EQ(GetMenu(window_), nullptr);
    EXPECT_FALSE(IsIconic(window_));
    EXPECT_FALSE(IsZoomed(window_));

    const RECT client = ClientRect(window_);
    EXPECT_EQ(client.right - client.left, 410);
    EXPECT_EQ(client.bottom - client.top, 400);

    RECT outer = {0, 0, 410, 400};
    ASSERT_TRUE(AdjustWindowRectEx(&outer, style, FALSE, exStyle));
    const int outerW = outer.right - outer.left;
    const int outerH = outer.bottom - outer.top;
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    RECT actual = {};
    ASSERT_TRUE(GetWindowRect(window_, &actual));
    EXPECT_EQ(actual.right - actual.left, outerW);
    EXPECT_EQ(actual.bottom - actual.top, outerH);
    EXPECT_EQ(actual.left, screenW / 2 - std::min(screenW, outerW) / 2);
    EXPECT_EQ(actual.top, screenH / 2 - std::min(screenH, outerH) / 2);
}

TEST_F(MainWindowTest, TaskPageControlsSitAtTheirPlacesWithTheirStylesAndTexts) {
    std::vector<int> ids;
    for (const ControlInfo& c : ListControls(window_))
        if (c.visible) ids.push_back(c.id);
    // Only the task page is built at start; its controls in the order they were created.
    EXPECT_EQ(ids, (std::vector<int>{BannerImage, TaskFrame, TaskList, DetectButton, ClearButton,
                                     RefreshButton, SetupButton, InfoButton, TerminateButton,
                                     LogList, HomepageLine}));

    for (const places::TaskPageControl& e : kTaskPage) {
        SCOPED_TRACE("control " + std::to_string(e.id));
        ControlInfo c;
        ASSERT_TRUE(GetControl(window_, e.id, &c));
        EXPECT_TRUE(SameTextIgnoringCase(c.className, e.className)) << c.className;
        EXPECT_EQ(c.rect.left, e.x);
        EXPECT_EQ(c.rect.top, e.y);
        EXPECT_EQ(c.rect.right - c.rect.left, e.w);
        EXPECT_EQ(c.rect.bottom - c.rect.top, e.h);
        EXPECT_EQ(c.style & e.style, e.style) << std::hex << c.style;
        EXPECT_EQ(c.style & e.noStyle, 0u) << std::hex << c.style;
        EXPECT_EQ(c.exStyle & e.exStyle, e.exStyle) << std::hex << c.exStyle;
        if (e.text) {
            EXPECT_EQ(c.text, e.text);
        }
        EXPECT_TRUE(c.visible);
        EXPECT_EQ(c.enabled, e.id != HomepageLine);
    }

    ControlInfo c;
    ASSERT_TRUE(GetControl(window_, BannerImage, &c));
    EXPECT_EQ(c.style & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP)) << "a picture control";
    for (int button :
         {DetectButton, ClearButton, RefreshButton, SetupButton, InfoButton, TerminateButton}) {
        ASSERT_TRUE(GetControl(window_, button, &c));
        EXPECT_EQ(c.style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON)) << button;
    }
    // The first refresh runs before the window is shown: the frame counts the rows listed.
    ASSERT_TRUE(GetControl(window_, TaskFrame, &c));
    EXPECT_EQ(c.style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
    ListViewDump tasks;
    ASSERT_TRUE(DumpListView(Control(TaskList), &tasks));
    const size_t count = testsupport::AllProcessIds().size();
    EXPECT_EQ(tasks.rows.size(), count);
    EXPECT_EQ(c.text, "Active Tasks [ " + std::to_string(count) + " ]");
    ASSERT_TRUE(GetControl(window_, HomepageLine, &c));
    EXPECT_EQ(c.style & SS_TYPEMASK, static_cast<DWORD>(SS_CENTER));
    EXPECT_EQ(c.text.rfind("-= Homepage: ", 0), 0u) << c.text;
    EXPECT_TRUE(EndsWith(c.text, " =-")) << c.text;
    EXPECT_GT(c.text.size(), std::strlen("-= Homepage:  =-")) << "an address between the marks";
}

TEST_F(MainWindowTest, TaskListHasItsListStylesAndEightColumns) {
    ListViewDump dump;
    ASSERT_TRUE(DumpListView(Control(TaskList), &dump));
    EXPECT_EQ(dump.extendedStyle & (LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT),
              static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT));
    const struct {
        const char* title;
        int width;
    } columns[] = {{"Task", 133},     {"Rights", 50}, {"PID", 50},   {"Priority", 50},
                   {"Size (KB)", 70}, {"Base", 80},   {"DLL's", 45}, {"Filename", 350}};
    ASSERT_EQ(dump.columns.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        SCOPED_TRACE("column " + std::to_string(i));
        EXPECT_EQ(dump.columns[i].title, columns[i].title);
        EXPECT_EQ(dump.columns[i].width, columns[i].width);
        EXPECT_EQ(dump.columns[i].format & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }
}

TEST_F(MainWindowTest, TabWalksTheControlsInCreationOrderAndShiftTabWalksBack) {
    // Start from the TaskList, as a click on it would leave the focus.
    const RECT list = ClientRect(Control(TaskList));
    ASSERT_TRUE(MouseClick(Control(TaskList), list.right / 2, list.bottom - 4));
    ASSERT_TRUE(
        WaitUntil([&] { return FocusedWindow(window_) == Control(TaskList); }, e2e::kWaitMs));

    auto focusReaches = [&](int id) {
        return WaitUntil([&] { return FocusedWindow(window_) == Control(id); }, e2e::kWaitMs);
    };
    for (int id : {DetectButton, ClearButton, RefreshButton, SetupButton, InfoButton,
                   TerminateButton, LogList, TaskList}) {
        ASSERT_TRUE(PressKey(window_, VK_TAB));
        EXPECT_TRUE(focusReaches(id)) << "Tab to " << id;
    }
    for (int id : {LogList, TerminateButton, InfoButton, SetupButton, RefreshButton, ClearButton,
                   DetectButton, TaskList}) {
        ASSERT_TRUE(PressKey(window_, VK_TAB, true));
        EXPECT_TRUE(focusReaches(id)) << "Shift+Tab to " << id;
    }
}

TEST_F(MainWindowTest, BannerShowsTheGradientAndTheWhiteTitle) {
    HWND banner = Control(BannerImage);
    const RECT client = ClientRect(banner);
    ASSERT_EQ(client.right, 388);
    ASSERT_EQ(client.bottom, 40);
    RECT outer = {};
    GetWindowRect(banner, &outer);
    const POINT origin = ClientOrigin(banner);
    EXPECT_EQ(origin.x - outer.left, 2) << "inside a 2 pixel sunken edge";
    EXPECT_EQ(origin.y - outer.top, 2);

    // The window may still be painting just after it was shown.
    Capture shot;
    const COLORREF teal = RGB(0, 163, 163);
    ASSERT_TRUE(
        WaitUntil([&] { return CaptureClient(banner, &shot) && shot.At(194, 0) == teal; }, 5000))
        << "middle of the top row: " << std::hex << (shot.pixels.empty() ? 0 : shot.At(194, 0));
    ASSERT_EQ(shot.width, 388);
    ASSERT_EQ(shot.height, 40);
    // The top and bottom rows are free of text: black at both ends, teal in the middle, a
    // gradient without red in between.
    for (int y : {0, 39}) {
        for (int x = 0; x < 30; ++x) {
            EXPECT_EQ(shot.At(x, y), RGB(0, 0, 0)) << x << "," << y;
            EXPECT_EQ(shot.At(387 - x, y), RGB(0, 0, 0)) << 387 - x << "," << y;
        }
        EXPECT_EQ(shot.At(194, y), teal) << y;
        for (int x = 0; x < 388; ++x) {
            const COLORREF p = shot.At(x, y);
            EXPECT_EQ(GetRValue(p), 0) << x << "," << y;
            EXPECT_EQ(GetGValue(p), GetBValue(p)) << x << "," << y;
            EXPECT_LE(GetGValue(p), 164) << x << "," << y;
        }
    }
    // "Morvane" in white from (8, 4).
    int white = 0;
    for (int y = 4; y < 24; ++y)
        for (int x = 8; x < 120; ++x)
            if (shot.At(x, y) == RGB(255, 255, 255)) ++white;
    EXPECT_GE(white, 40) << "white pixels of the title";
    // The version ends 10 pixels before the right edge. Its last white column is the 378th or a
    // few before it: glyphs may end short of their advance, and some renderers spill one pixel.
    int lastWhite = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 388; ++x)
            if (shot.At(x, y) == RGB(255, 255, 255) && x > lastWhite) lastWhite = x;
    EXPECT_GE(lastWhite, 372);
    EXPECT_LE(lastWhite, 378);

    ControlInfo homepage;
    ASSERT_TRUE(GetControl(window_, HomepageLine, &homepage));
    EXPECT_FALSE(homepage.enabled);
}

TEST_F(MainWindowTest, ClicksOnTheListsAndTheBannerStartNothing) {
    const int lines = LogLineCount();
    ASSERT_GE(lines, 0);

    // Double clicks too (the window class takes them): each target twice in a row.
    const RECT banner = ClientRect(Control(BannerImage));
    ASSERT_TRUE(MouseClick(Control(BannerImage), banner.right / 2, banner.bottom / 2));
    ASSERT_TRUE(MouseClick(Control(BannerImage), banner.right / 2, banner.bottom / 2));
    const RECT list = ClientRect(Control(TaskList));
    ASSERT_TRUE(MouseClick(Control(TaskList), list.right / 3, list.bottom / 2));
    ASSERT_TRUE(MouseClick(Control(TaskList), list.right / 3, list.bottom / 2));
    ASSERT_TRUE(MouseClick(Control(TaskList), 8, 30)); // where a row's check box is
    const RECT log = ClientRect(Control(LogList));
    ASSERT_TRUE(MouseClick(Control(LogList), log.right / 2, 4));
    ASSERT_TRUE(MouseClick(Control(LogList), log.right / 2, 4));
    // Input is taken in order: once the log list has the focus, every click has arrived.
    ASSERT_TRUE(
        WaitUntil([&] { return FocusedWindow(window_) == Control(LogList); }, e2e::kWaitMs));
    // Refresh, pressed after them, comes after anything they started: its line is the only one.
    const std::string count = std::to_string(testsupport::AllProcessIds().size());
    ASSERT_TRUE(PostClick(Control(RefreshButton)));
    ASSERT_TRUE(WaitUntil([&] { return LogLineCount() > lines; }, e2e::kWaitMs));
    ASSERT_TRUE(Sync(window_));

    const std::vector<std::string> now = LogLines();
    ASSERT_EQ(now.size(), static_cast<size_t>(lines) + 1);
    EXPECT_TRUE(EndsWith(now.back(), "Initialized tasks: " + count)) << now.back();
    EXPECT_EQ(FindDialog(app_.Id()), nullptr);
    EXPECT_EQ(WindowText(Control(TaskFrame)), "Active Tasks [ " + count + " ]");
    EXPECT_TRUE(IsWindowVisible(Control(TaskList))) << "still on the task page";
    EXPECT_EQ(WindowText(Control(TerminateButton)), "Terminate");
    EXPECT_TRUE(app_.Running());
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheProgramWithExitCodeZero) {
    EXPECT_EQ(CloseApp(), 0u);
    EXPECT_FALSE(IsWindow(window_));
    // An orderly end writes the settings beside the exe that ran, which is this test's copy.
    bool written = false;
    ReadFile("Morvane.ini", &written);
    EXPECT_TRUE(written);
}

// Not a test: start-up time, working set and file size of Morvane. Run with
// --gtest_also_run_disabled_tests.
struct Measured {
    DWORD startMs = 0;
    SIZE_T workingSet = 0;
    ULONGLONG fileSize = 0;
};

BOOL CALLBACK FirstVisible(HWND w, LPARAM param) {
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != found->first || !IsWindowVisible(w) || GetWindow(w, GW_OWNER)) return TRUE;
    found->second = w;
    return FALSE;
}

bool Measure(const std::string& exe, const std::string& folder, Measured* out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &data)) return false;
    out->fileSize = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    Process p;
    const DWORD start = GetTickCount();
    if (!p.Start(exe, folder)) return false;
    std::pair<DWORD, HWND> found(p.Id(), nullptr);
    if (!WaitUntil(
            [&] {
                EnumWindows(FirstVisible, reinterpret_cast<LPARAM>(&found));
                return found.second != nullptr;
            },
            e2e::kWaitMs))
        return false;
    out->startMs = GetTickCount() - start;
    Sync(found.second);
    Sleep(500);
    out->workingSet = WorkingSetBytes(p.Native());
    // A program that ignores the close request is ended when `p` goes away.
    CloseAndWait(found.second, p, e2e::kWaitMs, nullptr);
    return true;
}

TEST_F(MainWindowTest, DISABLED_MeasureStartAndFootprint) {
    ASSERT_EQ(CloseApp(), 0u);
    for (int run = 0; run < 3; ++run) {
        Measured ours;
        ASSERT_TRUE(Measure(PathOf("Morvane.exe"), folder_, &ours));
        std::printf("run %d: Morvane.exe  start %lu ms, working set %lu KB, file %lu bytes\n", run,
                    ours.startMs, static_cast<unsigned long>(ours.workingSet / 1024),
                    static_cast<unsigned long>(ours.fileSize));
    }
}

} // namespace
