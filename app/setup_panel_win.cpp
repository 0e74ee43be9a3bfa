#include "app/setup_panel.h"

#include "app/main_window.h"
#include "app/setup_panel_rules.h"
#include "exports/export_viewer.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "settings/time_format.h"
#include "tasks/task_rules.h"

#include <commdlg.h>
#include <shellapi.h>

namespace {

enum SetupPage { PreferencesPage = 0, ToolsPage = 1, AboutPage = 2 };

// When this version was built; the About tab shows it.
const Timestamp kBuildTimestamp = 1131123939;

const DWORD kGroupBox = WS_CHILD | BS_GROUPBOX;
const DWORD kFirstOption = WS_CHILD | BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP;
const DWORD kOption = WS_CHILD | BS_AUTORADIOBUTTON;
const DWORD kCheckBox = WS_CHILD | BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD kField = WS_CHILD | ES_AUTOHSCROLL | WS_TABSTOP;
const DWORD kButton = WS_CHILD | BS_PUSHBUTTON | WS_TABSTOP;

// The page's controls in creation order (which is also the Tab order). Positions are relative
// to the tab control's page area; the frames and the About text of the last two pages follow
// the list's size and are placed when the page is built.
struct PanelControl {
    int id;
    int page;
    DWORD exStyle;
    const char* className;
    const char* text;
    DWORD style;
    int x, y, width, height;
};

const PanelControl kPanelControls[] = {
    {AskFrame, PreferencesPage, 0, "BUTTON", "Message before terminate", kGroupBox | WS_GROUP, 5,
     10, 210, 77},
    {AskEveryTimeOption, PreferencesPage, 0, "BUTTON", "Every time a task will be terminate",
     kFirstOption, 13, 26, 180, 20},
    {AskCriticalOption, PreferencesPage, 0, "BUTTON", "Only when terminate critical task", kOption,
     13, 44, 180, 20},
    {AskNeverOption, PreferencesPage, 0, "BUTTON", "Never ever ask (very dangerous)", kOption, 13,
     62, 180, 20},
    {StyleFrame, PreferencesPage, 0, "BUTTON", "Style of info", kGroupBox | WS_GROUP, 222, 10, 141,
     77},
    {StyleNumberOption, PreferencesPage, 0, "BUTTON", "Number of entry", kFirstOption, 230, 26, 110,
     20},
    {StyleTimeOption, PreferencesPage, 0, "BUTTON", "Time when entry", kOption, 230, 44, 110, 20},
    {StyleNoneOption, PreferencesPage, 0, "BUTTON", "None (how boring)", kOption, 230, 62, 110, 20},
    {MiscFrame, PreferencesPage, 0, "BUTTON", "Misc", kGroupBox | WS_GROUP, 5, 95, 358, 77},
    {TaskTerminateCheck, PreferencesPage, 0, "BUTTON", "Enable task terminate (private)", kCheckBox,
     13, 111, 165, 20},
    {TaskFreezeCheck, PreferencesPage, 0, "BUTTON", "Freeze task before terminate", kCheckBox, 13,
     129, 165, 20},
    {DetectOwnTaskCheck, PreferencesPage, 0, "BUTTON", "Never detect own task (finish)", kCheckBox,
     13, 147, 165, 20},
    {ShowInfoCheck, PreferencesPage, 0, "BUTTON", "Show log-informations", kCheckBox, 215, 111, 135,
     20},
    {SaveInfoCheck, PreferencesPage, 0, "BUTTON", "Save log-informations", kCheckBox, 215, 129, 135,
     20},
    {RestoreWindowCheck, PreferencesPage, 0, "BUTTON", "Restore window position", kCheckBox, 215,
     147, 135, 20},
    {ToolsFrame, ToolsPage, 0, "BUTTON", "", kGroupBox | WS_GROUP, 8, 0, 0, 0},
    {CommandField, ToolsPage, WS_EX_CLIENTEDGE, "EDIT", "Create a new task", kField, 18, 17, 237,
     18},
    {StartButton, ToolsPage, 0, "BUTTON", "Start", kButton, 262, 16, 55, 20},
    {CommandBrowseButton, ToolsPage, 0, "BUTTON", "...", kButton, 321, 16, 30, 20},
    {DllField, ToolsPage, WS_EX_CLIENTEDGE, "EDIT", "Show functions of a DLL", kField, 18, 49, 237,
     18},
    {ShowButton, ToolsPage, 0, "BUTTON", "Show", kButton, 262, 48, 55, 20},
    {DllBrowseButton, ToolsPage, 0, "BUTTON", "...", kButton, 321, 48, 30, 20},
    {AboutFrame, AboutPage, 0, "BUTTON", "", kGroupBox | WS_GROUP, 8, 0, 0, 0},
    {AboutTextLabel, AboutPage, 0, "STATIC", "", WS_CHILD | SS_CENTER, 0, 16, 320, 163},
};

const char* const kPageTitles[] = {"Preferences", "Tools", "About"};

const int kCheckBoxIds[6] = {TaskTerminateCheck, TaskFreezeCheck, DetectOwnTaskCheck,
                             ShowInfoCheck,      SaveInfoCheck,   RestoreWindowCheck};

WNDPROC g_TabsProc = nullptr;

// The tab control also changes its page when driven by messages that send no notification
// (TCM_SETCURSEL), and its pages' controls, which are siblings rather than children, have to
// follow it when it is hidden or shown by whichever page takes its place.
LRESULT CALLBACK SetupTabsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Without TCS_BUTTONS, focusing a tab selects it. Done as a plain selection, because some
    // tab controls leave the old tab marked by it and then ignore the next click on a tab.
    if (message == TCM_SETCURFOCUS) {
        CallWindowProcA(g_TabsProc, hwnd, TCM_SETCURSEL, wParam, 0);
        ShowSelectedSetupTab();
        return 0;
    }
    LRESULT result = CallWindowProcA(g_TabsProc, hwnd, message, wParam, lParam);
    switch (message) {
    case TCM_SETCURSEL:
        ShowSelectedSetupTab();
        break;
    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (pos && (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != 0) ShowSelectedSetupTab();
        break;
    }
    default:
        break;
    }
    return result;
}

void BuildSetupPanel(const RECT& listRect) {
    const int width = listRect.right - listRect.left;
    const int height = listRect.bottom - listRect.top;
    HWND tabs =
        CreateControl(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                      listRect.left, listRect.top, width, height, SetupTabs);
    for (int i = 0; i < 3; ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(kPageTitles[i]);
        SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT page = listRect;
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));

    const std::string about = AboutText(
        ProgramVersion, FormatTimestamp("[ %dd-%mm-%yyyy / %hh:%ii:%ss ]", kBuildTimestamp));
    for (const PanelControl& c : kPanelControls) {
        int x = c.x, w = c.width, h = c.height;
        if (c.id == ToolsFrame || c.id == AboutFrame) {
            w = width - 20;
            h = height - 30;
        }
        if (c.id == AboutTextLabel) x = width / 2 - 160;
        const char* text = c.id == AboutTextLabel ? about.c_str() : c.text;
        CreateControl(c.exStyle, c.className, text, c.style, page.left + x, page.top + c.y, w, h,
                      c.id);
    }
    EnableControl(ShowButton, false);
    EnableControl(StartButton, false);

    // The pages' controls are siblings of the tab control: keep it beneath them and out of their
    // area, so that they are drawn above it. Only the task frame, which encloses it and would
    // otherwise hide it completely, goes further down.
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, keep);
    SetWindowPos(Control(TaskFrame), HWND_BOTTOM, 0, 0, 0, 0, keep);
    g_TabsProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(tabs, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SetupTabsProc)));
    ShowSelectedSetupTab();
}

bool IsChecked(int id) {
    return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(int id, bool checked) {
    SendMessageA(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ShowChoices(const PreferenceChoices& choices) {
    for (int i = 0; i < 3; ++i) {
        SetChecked(AskEveryTimeOption + i, i == choices.askOption);
        SetChecked(StyleNumberOption + i, i == choices.styleOption);
    }
    for (size_t i = 0; i < choices.flags.size(); ++i)
        SetChecked(kCheckBoxIds[i], choices.flags[i]);
}

// Reads the Preferences tab in the order of its controls; of two checked options in a group
// (only possible when driven from outside) the later one counts.
PreferenceChoices ReadChoices(std::string& askCaption) {
    PreferenceChoices choices;
    for (int i = 0; i < 3; ++i) {
        if (IsChecked(AskEveryTimeOption + i)) {
            choices.askOption = i;
            askCaption = ControlText(AskEveryTimeOption + i);
        }
    }
    for (int i = 0; i < 3; ++i)
        if (IsChecked(StyleNumberOption + i)) choices.styleOption = i;
    for (size_t i = 0; i < choices.flags.size(); ++i)
        choices.flags[i] = IsChecked(kCheckBoxIds[i]);
    return choices;
}

void ShowExportsOfField() {
    const std::string file = ControlText(DllField);
    // An empty name would ask for the module page's selected row, which this page does not show.
    if (file.empty()) {
        AddLogLine("Please select a dll first...");
        return;
    }
    ShowExports(file);
    EnableControl(InfoButton, false);
}

void StartCommand() {
    const std::string command = ControlText(CommandField);
    if (command.empty()) return;
    const std::string folder = WorkingFolder(command);
    // The debug privilege that terminating switched on must not pass to the started program;
    // it comes back on once the program has been started.
    const PrivilegeOff debugOff("SeDebugPrivilege");
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    // Morvane reports nothing itself; the shell's own message (a file it cannot find) is the
    // user's only word on a failed start.
    info.fMask = 0;
    info.hwnd = g_MainWindow;
    info.lpVerb = "Open";
    info.lpFile = command.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    // Started before the call returns, while the privilege is still off.
    info.fMask |= SEE_MASK_NOASYNC;
    ShellExecuteExA(&info);
}

// The two "..." buttons; their row's edit field and action button sit 2 and 1 IDs below them.
bool IsBrowseButton(int id) {
    HWND hwnd = Control(id);
    if (!hwnd) return false;
    char className[16] = {};
    GetClassNameA(hwnd, className, sizeof className);
    if (lstrcmpiA(className, "BUTTON") != 0) return false;
    const LONG_PTR type = GetWindowLongPtrA(hwnd, GWL_STYLE) & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) return false;
    return UpperAnsi(ControlText(id)) == "...";
}

void ChooseFile(int browseId) {
    const std::string filter =
        DialogFilter("EXE/DLL - Executables|*.exe;*.dll|All Files (*.*)|*.*");
    const std::string folder = g_Settings.CurrentDir;
    char file[1024] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = g_MainWindow;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = "Select file";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog) || file[0] == '\0') return;
    const std::string path = file;
    g_Settings.CurrentDir = FolderOf(path);
    SetControlText(browseId - 2, path);
    EnableControl(browseId - 1, true);
}

} // namespace

void ShowSelectedSetupTab() noexcept {
    HWND tabs = Control(SetupTabs);
    if (!tabs) return;
    const bool shown = (GetWindowLongPtrA(tabs, GWL_STYLE) & WS_VISIBLE) != 0;
    const int selected = static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
    for (const PanelControl& c : kPanelControls)
        ShowWindow(Control(c.id), shown && c.page == selected ? SW_SHOWNA : SW_HIDE);
}

void RunSetupPanel() {
    const RECT listRect = ControlRect(TaskList);
    const PageState page =
        EnterPage(TaskList, {TerminateButton},
                  {SetupButton, RefreshButton, DetectButton, ClearButton, InfoButton});
    SetControlText(TerminateButton, "Back");
    if (!Control(SetupTabs))
        BuildSetupPanel(listRect);
    else
        ShowControl(SetupTabs, true);
    // The record changes only on Back; until then the page's state lives in its controls.
    ShowChoices(ChoicesFromSettings(g_Settings));
    SetControlText(TaskFrame, "Setup");

    for (;;) {
        const Event event = WaitEvent(false);
        if (event.kind == EventKind::Close) Shutdown();
        if (event.id == TerminateButton) break;
        if (event.id == ShowButton)
            ShowExportsOfField();
        else if (event.id == StartButton)
            StartCommand();
        else if (IsBrowseButton(event.id))
            ChooseFile(event.id);
    }

    std::string askCaption;
    StorePreferences(g_Settings, ReadChoices(askCaption));
    AddLogLine("Message: " + askCaption);
    LeavePage(page, SetupTabs);
    ApplyLogVisibility();
}
