// The Setup page on a real main window in this process. Every visit is driven by messages
// posted before RunSetupPanel is called; its own loop handles them and returns on Back.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/setup_panel.h"
#include "proc/process_api.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "ui/events.h"
#include "win/app_fixture.h"
#include "win/control_places.h"
#include "win/page_driving.h"
#include "win/test_support.h"

#include <commctrl.h>

#include <functional>
#include <thread>

namespace {

using places::kSetupPage;
using places::PageControl;
using testsupport::EndsWith;
using testsupport::ExeFolder;
using testsupport::FromUtf8;
using testsupport::SameTextIgnoringCase;
using testsupport::Utf8;

const int kTaskButtons[] = {SetupButton, RefreshButton, DetectButton, ClearButton, InfoButton};

bool IsChecked(int id) {
    return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int SelectedTab() {
    return static_cast<int>(SendMessageA(Control(SetupTabs), TCM_GETCURSEL, 0, 0));
}

void PostSelectTab(int index) {
    PostMessageA(Control(SetupTabs), TCM_SETCURSEL, index, 0);
}

// Only the selected page's controls are shown, and none while the tab control is hidden.
void ExpectPageShown(int page) {
    for (const PageControl& c : kSetupPage)
        EXPECT_EQ(IsShown(c.id), c.page == page) << "control " << c.id << ", page " << page;
}

// The area of the tab control that its pages' controls are placed in.
RECT PageArea() {
    RECT page = ControlRect(SetupTabs);
    SendMessageA(Control(SetupTabs), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    return page;
}

std::string WithoutTrailingBackslash(std::string folder) {
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

// Waits for a report the probe program writes, then deletes it; empty when none came.
std::string TakeReport(const std::string& path) {
    std::string text;
    testsupport::WaitUntil([&] { return !(text = testsupport::ReadTextFile(path)).empty(); }, 15000,
                           50);
    DeleteFileA(path.c_str());
    return text;
}

class SetupPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureMainWindow();
        PrepareProbes();
        SetDefaultSettings();
        ApplyLogVisibility();
    }
    void TearDown() override {
        EXPECT_EQ(ProbesNotRun(), 0) << "checks posted into the page loop never ran";
        SetDefaultSettings();
        ApplyLogVisibility();
    }
    // Opens the page and leaves it (so that its controls exist), running `check` once the page's
    // loop has started.
    static void Visit(std::function<void()> check = nullptr) {
        if (check) PostProbe(std::move(check));
        PostClick(TerminateButton);
        RunSetupPanel();
    }
};

// A page built afresh, as the first visit of a run builds it, whatever earlier tests did to it:
// every control at its place inside the tab's page area, the field hints, Start and Show disabled
// and the first tab selected.
TEST_F(SetupPanel, AFreshPageIsBuiltAsTheLayoutSays) {
    DestroyWindow(Control(SetupTabs));
    for (const PageControl& c : kSetupPage)
        DestroyWindow(Control(c.id));
    const RECT list = ControlRect(TaskList);
    ASSERT_EQ(list.right - list.left, 374);
    ASSERT_EQ(list.bottom - list.top, 211);
    Visit([] {
        EXPECT_EQ(SelectedTab(), 0);
        const RECT page = PageArea();
        for (const PageControl& e : kSetupPage) {
            SCOPED_TRACE(e.id);
            ASSERT_NE(Control(e.id), nullptr);
            EXPECT_EQ(GetParent(Control(e.id)), g_MainWindow);
            EXPECT_EQ(ClassOf(e.id), e.className);
            if (e.text) {
                EXPECT_EQ(TextOf(e.id), e.text);
            }
            if (e.type >= 0) {
                EXPECT_EQ(GetWindowLongPtrA(Control(e.id), GWL_STYLE) & (BS_TYPEMASK | SS_TYPEMASK),
                          e.type);
            }
            EXPECT_EQ(IsEnabled(e.id), e.id != StartButton && e.id != ShowButton);
            const RECT c = ControlRect(e.id);
            EXPECT_EQ(c.left - page.left, e.x);
            EXPECT_EQ(c.top - page.top, e.y);
            EXPECT_EQ(c.right - c.left, e.width);
            EXPECT_EQ(c.bottom - c.top, e.height);
        }
        // Each option group starts a new group; the fields are sunken and scroll sideways.
        EXPECT_TRUE(HasStyle(AskEveryTimeOption, WS_GROUP));
        EXPECT_FALSE(HasStyle(AskCriticalOption, WS_GROUP));
        EXPECT_TRUE(HasStyle(StyleNumberOption, WS_GROUP));
        EXPECT_FALSE(HasStyle(StyleNoneOption, WS_GROUP));
        for (int id : {DllField, CommandField}) {
            EXPECT_TRUE(HasStyle(id, ES_AUTOHSCROLL));
            EXPECT_NE(GetWindowLongPtrA(Control(id), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
        }
    });
}

TEST_F(SetupPanel, EnteringHidesTheTaskListAndLeavesOnlyBackEnabled) {
    Visit([] {
        EXPECT_FALSE(IsShown(TaskList));
        EXPECT_TRUE(IsShown(SetupTabs));
        EXPECT_EQ(TextOf(TaskFrame), "Setup");
        EXPECT_EQ(TextOf(TerminateButton), "Back");
        EXPECT_TRUE(IsEnabled(TerminateButton));
        for (int id : kTaskButtons)
            EXPECT_FALSE(IsEnabled(id)) << id;
        EXPECT_EQ(TextOf(InfoButton), "Info");
    });
}

TEST_F(SetupPanel, TheTabControlLiesWhereTheTaskListWasWithThreeTabs) {
    const RECT list = ControlRect(TaskList);
    Visit([list] {
        EXPECT_EQ(ClassOf(SetupTabs), "SysTabControl32");
        const RECT r = ControlRect(SetupTabs);
        EXPECT_EQ(r.left, list.left);
        EXPECT_EQ(r.top, list.top);
        EXPECT_EQ(r.right, list.right);
        EXPECT_EQ(r.bottom, list.bottom);
        HWND tabs = Control(SetupTabs);
        ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
        const char* titles[] = {"Preferences", "Tools", "About"};
        for (int i = 0; i < 3; ++i) {
            char text[64] = {};
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            EXPECT_STREQ(text, titles[i]);
        }
        EXPECT_GT(PageArea().top, r.top + 10); // below the row of tabs
    });
}

TEST_F(SetupPanel, AboutTextShowsTheVersionTheBuildAndTheAddress) {
    Visit([] {
        const std::string about = TextOf(AboutTextLabel);
        std::vector<std::string> lines;
        std::string::size_type start = 0;
        for (;;) {
            std::string::size_type end = about.find('\n', start);
            lines.push_back(about.substr(start, end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        ASSERT_EQ(lines.size(), 12u);
        EXPECT_EQ(lines[0], "Morvane v1.02.41");
        EXPECT_EQ(lines[3], "[ 04-11-2005 / 17:05:39 ]");
        EXPECT_EQ(lines[5], "Thanks to:");
        EXPECT_EQ(lines[11], "http://morvane.quillfen.example");
    });
}

// The pages' controls are drawn above the tab control: it lies beneath all of them in the z-order
// and leaves their area alone.
TEST_F(SetupPanel, PageControlsLieAboveTheTabs) {
    Visit([] {
        EXPECT_TRUE(HasStyle(SetupTabs, WS_CLIPSIBLINGS));
        for (HWND above = GetWindow(Control(SetupTabs), GW_HWNDNEXT); above;
             above = GetWindow(above, GW_HWNDNEXT)) {
            const int id = GetDlgCtrlID(above);
            EXPECT_TRUE(id < AskFrame || id > AboutTextLabel)
                << "control " << id << " lies beneath the tabs";
        }
        ExpectPageShown(SelectedTab());
    });
}

// Back: the task page exactly as before, and the confirmation choice in the log.
TEST_F(SetupPanel, BackPutsTheTaskPageBackAndLogsTheMessage) {
    const std::string frameCaption = TextOf(TaskFrame);
    const int logBefore = LogLineCount();
    Visit();
    EXPECT_TRUE(IsShown(TaskList));
    EXPECT_FALSE(IsShown(SetupTabs));
    ExpectPageShown(-1);
    EXPECT_EQ(TextOf(TaskFrame), frameCaption);
    EXPECT_EQ(TextOf(TerminateButton), "Terminate");
    for (int id : kTaskButtons)
        EXPECT_TRUE(IsEnabled(id)) << id;
    EXPECT_EQ(LogLineCount(), logBefore + 1);
    EXPECT_TRUE(EndsWith(LastLogLine(), "Message: Every time a task will be terminate"))
        << LastLogLine();
    EXPECT_EQ(ClientHeight(), 400);
}

// Back shares its button with Terminate: for the system's double-click time after the page is
// left, a press on that button is dropped (one at three quarters of it), and a press after that
// time is a click again. A command posted behind each press shows where it would have come.
TEST_F(SetupPanel, APressOnBackJustAfterLeavingIsDroppedForTheDoubleClickTime) {
    Visit();
    const DWORD left = GetTickCount(), span = GetDoubleClickTime();
    const RECT button = ControlRect(TerminateButton);
    const LPARAM at =
        MAKELPARAM((button.right - button.left) / 2, (button.bottom - button.top) / 2);
    for (const DWORD pressAt : {span * 3 / 4, span + 100}) {
        while (GetTickCount() - left < pressAt)
            Sleep(5);
        PostMessageA(Control(TerminateButton), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(Control(TerminateButton), WM_LBUTTONUP, 0, at);
        PostCommand(ClearButton);
        std::vector<int> events = {WaitEvent(true).id};
        while (events.back() != ClearButton && events.size() < 3)
            events.push_back(WaitEvent(true).id);
        const std::vector<int> clicked = {TerminateButton, ClearButton};
        EXPECT_EQ(events, pressAt < span ? std::vector<int>(1, ClearButton) : clicked)
            << pressAt << " ms after leaving";
    }
}

TEST_F(SetupPanel, TabsFollowClicksAndSelectionMessages) {
    Visit();
    PostSelectTab(1);
    PostProbe([] {
        EXPECT_EQ(SelectedTab(), 1);
        ExpectPageShown(1);
    });
    PostMessageA(Control(SetupTabs), TCM_SETCURFOCUS, 2, 0);
    PostProbe([] {
        EXPECT_EQ(SelectedTab(), 2);
        ExpectPageShown(2);
        // A click on the first tab arrives as a selection-change notification.
        RECT item = {};
        SendMessageA(Control(SetupTabs), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        PostMessageA(Control(SetupTabs), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(Control(SetupTabs), WM_LBUTTONUP, 0, at);
        PostProbe([] {
            EXPECT_EQ(SelectedTab(), 0);
            ExpectPageShown(0);
            // A page that takes the tab control's place takes its controls with it.
            ShowControl(SetupTabs, false);
            ExpectPageShown(-1);
            ShowControl(SetupTabs, true);
            ExpectPageShown(0);
            PostSelectTab(2);
            PostClick(TerminateButton);
        });
    });
    RunSetupPanel();
    ExpectPageShown(-1);

    // The next visit opens on the page last selected.
    PostProbe([] {
        EXPECT_EQ(SelectedTab(), 2);
        ExpectPageShown(2);
    });
    PostSelectTab(0);
    PostClick(TerminateButton);
    RunSetupPanel();
    ExpectPageShown(-1);
}

// A value that is none of its group's shows no option, and every value left as shown stays as
// it was after Back: a check box shows whether the program counts its value as on.
TEST_F(SetupPanel, OptionsShowOnlyTheirOwnValuesAndBackKeepsWhatWasLeft) {
    Visit();
    struct Case {
        int32_t ask, style;
        int askChecked, styleChecked; // -1: none
        const char* message;
    } cases[] = {
        {1, 16, AskEveryTimeOption, StyleTimeOption,
         "Message: Every time a task will be terminate"},
        {3, 8 | 32, -1, -1, "Message: "},
        {4, 32, AskNeverOption, StyleNoneOption, "Message: Never ever ask (very dangerous)"},
        {0, 64, -1, -1, "Message: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ask);
        g_Settings.AskTerminate = c.ask;
        g_Settings.LogInfoStyle = c.style;
        g_Settings.EnableTaskFreeze = 5; // on
        g_Settings.EnableSaveInfo = 0;
        g_Settings.EnableDetectOwnTask = -1; // off: Detect counts only 1
        PostProbe([&c] {
            for (int id = AskEveryTimeOption; id <= AskNeverOption; ++id)
                EXPECT_EQ(IsChecked(id), id == c.askChecked) << id;
            for (int id = StyleNumberOption; id <= StyleNoneOption; ++id)
                EXPECT_EQ(IsChecked(id), id == c.styleChecked) << id;
            EXPECT_TRUE(IsChecked(TaskTerminateCheck));
            EXPECT_TRUE(IsChecked(TaskFreezeCheck));
            EXPECT_FALSE(IsChecked(DetectOwnTaskCheck));
            EXPECT_TRUE(IsChecked(ShowInfoCheck));
            EXPECT_FALSE(IsChecked(SaveInfoCheck));
            EXPECT_TRUE(IsChecked(RestoreWindowCheck));
        });
        PostClick(TerminateButton);
        RunSetupPanel();
        EXPECT_EQ(g_Settings.AskTerminate, c.ask);
        EXPECT_EQ(g_Settings.LogInfoStyle, c.style);
        EXPECT_EQ(g_Settings.EnableTaskFreeze, 5);
        EXPECT_EQ(g_Settings.EnableDetectOwnTask, -1);
        EXPECT_EQ(g_Settings.EnableSaveInfo, 0);
        EXPECT_TRUE(EndsWith(LastLogLine(), c.message)) << LastLogLine();
    }
}

TEST_F(SetupPanel, ChangesReachTheSettingsOnlyOnBack) {
    Visit();
    PostSelectTab(0);
    PostClick(AskNeverOption);
    PostClick(StyleNoneOption);
    PostClick(ShowInfoCheck);
    PostClick(TaskFreezeCheck);
    PostProbe([] {
        // The clicked options cleared the others of their groups only.
        EXPECT_FALSE(IsChecked(AskEveryTimeOption));
        EXPECT_TRUE(IsChecked(AskNeverOption));
        EXPECT_FALSE(IsChecked(StyleTimeOption));
        EXPECT_TRUE(IsChecked(StyleNoneOption));
        EXPECT_FALSE(IsChecked(ShowInfoCheck));
        // The record still holds what it held before the visit.
        EXPECT_EQ(g_Settings.AskTerminate, 1);
        EXPECT_EQ(g_Settings.LogInfoStyle, 16);
        EXPECT_EQ(g_Settings.EnableShowInfo, 1);
        EXPECT_EQ(g_Settings.EnableTaskFreeze, 1);
        EXPECT_EQ(ClientHeight(), 400);
    });
    PostClick(TerminateButton);
    RunSetupPanel();
    EXPECT_EQ(g_Settings.AskTerminate, 4);
    EXPECT_EQ(g_Settings.LogInfoStyle, 32);
    EXPECT_EQ(g_Settings.EnableShowInfo, 0);
    EXPECT_EQ(g_Settings.EnableTaskFreeze, 0);
    EXPECT_EQ(g_Settings.EnableTaskTerminate, 1);
    EXPECT_TRUE(EndsWith(LastLogLine(), "Message: Never ever ask (very dangerous)"))
        << LastLogLine();
    EXPECT_EQ(ClientHeight(), 324);

    // Showing the log again brings the full window back.
    PostClick(ShowInfoCheck);
    PostClick(TerminateButton);
    RunSetupPanel();
    EXPECT_EQ(g_Settings.EnableShowInfo, 1);
    EXPECT_EQ(ClientHeight(), 400);
}

TEST_F(SetupPanel, BrowseButtonsFillTheirRowAndMoveCurrentDir) {
    Visit();
    const std::string exeFolder = ExeFolder();
    const std::string chosen = exeFolder + "sleeper.exe";
    const std::string commandBefore = TextOf(CommandField);
    const std::string dllBefore = TextOf(DllField);
    const bool showEnabledBefore = IsEnabled(ShowButton);
    g_Settings.CurrentDir = L"C:\\windows\\";

    std::string firstFolder, secondFolder;
    bool firstAnswered = false, secondAnswered = false;
    PostSelectTab(1);
    PostClick(CommandBrowseButton);
    std::thread user([&] {
        firstAnswered = AnswerFileDialog(MainThreadId(), "Select file", chosen, &firstFolder);
        PostProbe([&] {
            EXPECT_EQ(TextOf(CommandField), chosen);
            EXPECT_TRUE(IsEnabled(StartButton));
            EXPECT_EQ(Utf8(g_Settings.CurrentDir), exeFolder);
            EXPECT_EQ(TextOf(DllField), dllBefore);
        });
        PostClick(DllBrowseButton);
        // Cancelled: nothing changes.
        secondAnswered = AnswerFileDialog(MainThreadId(), "Select file", "", &secondFolder);
        PostClick(TerminateButton);
    });
    RunSetupPanel();
    user.join();

    ASSERT_TRUE(firstAnswered);
    ASSERT_TRUE(secondAnswered);
    EXPECT_TRUE(SameTextIgnoringCase(firstFolder, "C:\\windows")) << firstFolder;
    // The second dialog starts where the first file was chosen.
    EXPECT_TRUE(SameTextIgnoringCase(secondFolder, WithoutTrailingBackslash(exeFolder)))
        << secondFolder;
    EXPECT_EQ(Utf8(g_Settings.CurrentDir), exeFolder);
    EXPECT_EQ(TextOf(DllField), dllBefore);
    EXPECT_EQ(IsEnabled(ShowButton), showEnabledBefore);
    // A field changed by the dialog keeps its text on later visits; the button stays enabled.
    PostProbe([&] {
        EXPECT_EQ(TextOf(CommandField), chosen);
        EXPECT_TRUE(IsEnabled(StartButton));
    });
    PostClick(TerminateButton);
    RunSetupPanel();
    SetControlText(CommandField, FromUtf8(commandBefore));
}

TEST_F(SetupPanel, FieldTextsOpenNoDialogAndAnEmptyShowOnlyAsks) {
    Visit();
    const std::string dllBefore = TextOf(DllField);
    const std::string commandBefore = TextOf(CommandField);
    const bool showEnabled = IsEnabled(ShowButton);
    WindowWatcher watcher(MainThreadId());
    int logBefore = 0;
    PostSelectTab(1);
    PostProbe([&] {
        // Typing "..." into a field is not a click on a "..." button.
        SetControlText(CommandField, L"...");
        SetControlText(DllField, L"");
        logBefore = LogLineCount();
    });
    PostCommand(CommandField, EN_CHANGE);
    PostCommand(ShowButton);
    PostProbe([&] {
        ASSERT_EQ(LogLineCount(), logBefore + 1);
        EXPECT_TRUE(EndsWith(LastLogLine(), "Please select a dll first...")) << LastLogLine();
        EXPECT_TRUE(IsShown(SetupTabs));
        ExpectPageShown(1);
        EXPECT_FALSE(IsEnabled(InfoButton));
        EXPECT_EQ(TextOf(TaskFrame), "Setup");
        EXPECT_EQ(IsEnabled(ShowButton), showEnabled);
    });
    PostClick(TerminateButton);
    RunSetupPanel();
    EXPECT_TRUE(watcher.Seen().empty()) << watcher.Seen().front();
    EXPECT_EQ(TextOf(CommandField), "...");
    SetControlText(CommandField, FromUtf8(commandBefore));
    SetControlText(DllField, FromUtf8(dllBefore));
}

TEST_F(SetupPanel, StartRunsTheCommandInItsOwnFolderAndReportsNothing) {
    Visit();
    const std::string exeFolder = ExeFolder();
    const std::string probe = exeFolder + "report_cwd.exe";
    const std::string report = probe + ".cwd";
    DeleteFileA(report.c_str());
    const std::string commandBefore = TextOf(CommandField);
    WindowWatcher watcher(MainThreadId());
    int logBefore = 0;

    PostSelectTab(1);
    PostProbe([&] {
        SetControlText(CommandField, FromUtf8(probe));
        logBefore = LogLineCount();
    });
    PostCommand(StartButton);
    // A name the shell cannot open: no log line, and no message of Morvane's own.
    PostProbe([&] { SetControlText(CommandField, FromUtf8(exeFolder + "no such program.exe")); });
    PostCommand(StartButton);
    PostProbe([&] { EXPECT_EQ(LogLineCount(), logBefore); });
    PostClick(TerminateButton);
    RunSetupPanel();
    SetControlText(CommandField, FromUtf8(commandBefore));

    const std::string folder = TakeReport(report);
    EXPECT_TRUE(SameTextIgnoringCase(folder, WithoutTrailingBackslash(exeFolder)))
        << "started in \"" << folder << "\"";
    // One window only: the shell's own message on the missing program. Morvane shows nothing.
    EXPECT_EQ(watcher.Seen().size(), 1u);
}

TEST_F(SetupPanel, ShowPutsTheExportPageInPlaceOfTheTabsAndComesBack) {
    Visit();
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string dll = std::string(system) + "\\kernel32.dll";
    const std::string dllBefore = TextOf(DllField);
    const RECT tabsRect = ControlRect(SetupTabs);
    PostSelectTab(1);
    PostProbe([&] { SetControlText(DllField, FromUtf8(dll)); });
    PostCommand(ShowButton);
    PostProbe([&] {
        EXPECT_FALSE(IsShown(SetupTabs));
        ExpectPageShown(-1);
        ASSERT_TRUE(Control(ExportList) && IsShown(ExportList));
        const RECT r = ControlRect(ExportList);
        EXPECT_EQ(r.left, tabsRect.left);
        EXPECT_EQ(r.top, tabsRect.top);
        EXPECT_EQ(TextOf(TaskFrame).rfind("kernel32.dll [ ", 0), 0u) << TextOf(TaskFrame);
        EXPECT_EQ(TextOf(InfoButton), "Export");
        EXPECT_TRUE(IsEnabled(InfoButton));
        EXPECT_EQ(TextOf(TerminateButton), "Back");
    });
    PostClick(TerminateButton); // leaves the export page
    PostProbe([] {
        EXPECT_TRUE(IsShown(SetupTabs));
        ExpectPageShown(1);
        EXPECT_FALSE(IsShown(ExportList));
        EXPECT_EQ(TextOf(TaskFrame), "Setup");
        EXPECT_EQ(TextOf(InfoButton), "Info");
        EXPECT_FALSE(IsEnabled(InfoButton));
        EXPECT_EQ(TextOf(TerminateButton), "Back");
    });
    PostClick(TerminateButton); // leaves the Setup page
    RunSetupPanel();
    EXPECT_TRUE(IsShown(TaskList));
    EXPECT_TRUE(IsEnabled(InfoButton));
    EXPECT_EQ(TextOf(TerminateButton), "Terminate");
    SetControlText(DllField, FromUtf8(dllBefore));
}

TEST_F(SetupPanel, StartedProgramsDoNotInheritTheDebugPrivilege) {
    Visit();
    const std::string probe = ExeFolder() + "report_cwd.exe";
    const std::string report = probe + ".priv";
    DeleteFileA(report.c_str());
    ASSERT_GE(EnablePrivilege("SeDebugPrivilege"), 0) << "the token lacks the privilege";

    // A program started plainly while the privilege is on has it on as well.
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + probe + "\"";
    ASSERT_TRUE(CreateProcessA(probe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info));
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    ASSERT_EQ(TakeReport(report), "on");
    DeleteFileA((probe + ".cwd").c_str());

    const std::string commandBefore = TextOf(CommandField);
    PostSelectTab(1);
    PostProbe([&] { SetControlText(CommandField, FromUtf8(probe)); });
    PostCommand(StartButton);
    PostClick(TerminateButton);
    RunSetupPanel();
    SetControlText(CommandField, FromUtf8(commandBefore));
    EXPECT_EQ(TakeReport(report), "off");
    DeleteFileA((probe + ".cwd").c_str());
    EXPECT_EQ(EnablePrivilege("SeDebugPrivilege", false), 1) << "Morvane's own state is back";
}

} // namespace
