#include "app/setup_panel.h"

#include "app/main_window.h"
#include "ui/page.h"
#include "app/setup_layout.h"
#include "app/setup_panel_rules.h"
#include "exports/export_viewer.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "base/file_path.h"
#include "base/wide_text.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/time_format.h"
#include "ui/accessible_name.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace {

// The build stamp the About tab shows: a fixed moment (04-11-2005 / 17:05:39), not the time of
// any actual build.
const Timestamp kBuildTimestamp = 1131123939;

struct KindLook {
    const wchar_t* className;
    DWORD exStyle;
    DWORD style;
};

// How each kind of control of the page is made.
KindLook LookOf(PanelKind kind) {
    const DWORD tabStop = WS_CHILD | WS_TABSTOP;
    switch (kind) {
    case PanelKind::GroupBox:
        return {L"BUTTON", 0, WS_CHILD | BS_GROUPBOX | WS_GROUP};
    case PanelKind::FirstOption:
        return {L"BUTTON", 0, tabStop | BS_AUTORADIOBUTTON | WS_GROUP};
    case PanelKind::Option:
        return {L"BUTTON", 0, WS_CHILD | BS_AUTORADIOBUTTON};
    case PanelKind::CheckBox:
        return {L"BUTTON", 0, tabStop | BS_AUTOCHECKBOX};
    case PanelKind::Field:
        return {L"EDIT", WS_EX_CLIENTEDGE, tabStop | ES_AUTOHSCROLL};
    case PanelKind::Button:
        return {L"BUTTON", 0, tabStop | BS_PUSHBUTTON};
    case PanelKind::Text:
        break;
    }
    return {L"STATIC", 0, WS_CHILD | SS_CENTER};
}

const wchar_t* const kPageTitles[] = {L"Preferences", L"Tools", L"About"};

WNDPROC g_TabsProc = nullptr;

// The tab control also changes its page when driven by messages that send no notification
// (TCM_SETCURSEL), and its pages' controls, which are siblings rather than children, have to
// follow it when it is hidden or shown by whichever page takes its place.
LRESULT CALLBACK SetupTabsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Without TCS_BUTTONS, focusing a tab selects it. Done as a plain selection, because some
    // tab controls leave the old tab marked by it and then ignore the next click on a tab.
    if (message == TCM_SETCURFOCUS) {
        CallWindowProcW(g_TabsProc, hwnd, TCM_SETCURSEL, wParam, 0);
        ShowSelectedSetupTab();
        return 0;
    }
    LRESULT result = CallWindowProcW(g_TabsProc, hwnd, message, wParam, lParam);
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

// A tab picked on the Setup page: its controls follow at once, without a loop event.
LRESULT AnswerSetupTabs(const NMHDR& header, LPARAM, bool& handled) {
    if (header.code == TCN_SELCHANGE) ShowSelectedSetupTab();
    handled = false; // the tab strip's own handling goes on as usual
    return 0;
}

void BuildSetupPanel() {
    // Exactly where the task list lies.
    const Box place = LayoutBox(TaskList);
    HWND tabs =
        CreateControl(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                      place, SetupTabs);
    for (int i = 0; i < 3; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(kPageTitles[i]);
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }

    const std::wstring about = AboutLabelText();
    for (const PanelControl& c : PanelControls()) {
        const KindLook look = LookOf(c.kind);
        const wchar_t* text = c.id == AboutTextLabel ? about.c_str() : c.text;
        CreateControl(look.exStyle, look.className, text, look.style,
                      PlaceOf(c, place.width, place.height), c.id, ControlFont::Dialog, SetupTabs);
    }
    EnableControl(ShowButton, false);
    EnableControl(StartButton, false);
    // The fields have no label beside them and both browse buttons read "...": what a screen
    // reader says for each.
    SetAccessibleName(Control(CommandField), L"Program to start");
    SetAccessibleName(Control(CommandBrowseButton), L"Browse for a program");
    SetAccessibleName(Control(DllField), L"DLL to show");
    SetAccessibleName(Control(DllBrowseButton), L"Browse for a DLL");

    // The pages' controls are siblings of the tab control: keep it beneath them and out of their
    // area, so that they are drawn above it. Only the task frame, which encloses it and would
    // otherwise hide it completely, goes further down.
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, keep);
    SetWindowPos(Control(TaskFrame), HWND_BOTTOM, 0, 0, 0, 0, keep);
    SetNotifyHandler(SetupTabs, AnswerSetupTabs);
    g_TabsProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(tabs, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SetupTabsProc)));
    ShowSelectedSetupTab();
}

bool IsChecked(int id) {
    return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(int id, bool checked) {
    SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Sets the option buttons and check boxes in the order of the preference table.
void ShowChoices(const PreferenceChoices& choices) {
    for (size_t i = 0; i < kPreferences.size(); ++i) {
        const PreferenceLook& look = kPreferenceLooks[i];
        if (kPreferences[i].kind == PreferenceKind::CheckBox) {
            SetChecked(look.control, choices[i] != 0);
            continue;
        }
        for (size_t k = 0; k < look.options.size(); ++k)
            SetChecked(look.options[k].control, static_cast<int>(k) == choices[i]);
    }
}

// Reads the Preferences tab in the order of the table; of two checked options in a group (only
// possible when driven from outside) the later one counts. `askCaption` gets the caption of the
// checked confirmation option.
PreferenceChoices ReadChoices(std::wstring& askCaption) {
    PreferenceChoices choices = {};
    for (size_t i = 0; i < kPreferences.size(); ++i) {
        const PreferenceLook& look = kPreferenceLooks[i];
        if (kPreferences[i].kind == PreferenceKind::CheckBox) {
            choices[i] = IsChecked(look.control) ? 1 : 0;
            continue;
        }
        choices[i] = -1;
        for (size_t k = 0; k < look.options.size(); ++k) {
            if (!IsChecked(look.options[k].control)) continue;
            choices[i] = static_cast<int>(k);
            if (look.field == &Settings::AskTerminate)
                askCaption = ControlText(look.options[k].control);
        }
    }
    return choices;
}

void ShowExportsOfField() {
    const std::wstring file = ControlText(DllField);
    if (file.empty()) {
        AddLogLine(L"Please select a dll first...");
        return;
    }
    ShowExports(FilePart(file), file, SetupTabs);
    // Info has no use on this page.
    EnableControl(InfoButton, false);
}

void StartCommand() {
    const std::wstring command = ControlText(CommandField);
    if (command.empty()) return;
    const std::wstring folder = WorkingFolder(command);
    // The debug privilege that terminating switched on must not pass to the started program;
    // it comes back on once the program has been started.
    const PrivilegeOff debugOff("SeDebugPrivilege");
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // Morvane reports nothing itself; the shell's own message (a file it cannot find) is the
    // user's only word on a failed start.
    info.fMask = 0;
    info.hwnd = g_MainWindow;
    info.lpVerb = L"Open";
    info.lpFile = command.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    // Started before the call returns, while the privilege is still off.
    info.fMask |= SEE_MASK_NOASYNC;
    ShellExecuteExW(&info);
}

// Puts the chosen file into the row's field and enables the row's action.
void ChooseFile(const BrowseRow& row) {
    const std::wstring filter =
        DialogFilter(L"EXE/DLL - Executables|*.exe;*.dll|All Files (*.*)|*.*");
    const std::wstring folder = g_Settings.CurrentDir;
    // Room for the longest path the system knows.
    std::vector<wchar_t> file(0x8000, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = g_MainWindow;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = L"Select file";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog) || file[0] == L'\0') return;
    const std::wstring path = file.data();
    SetCurrentDir(g_Settings, FolderOf(path));
    SetControlText(row.field, path);
    EnableControl(row.action, true);
}

} // namespace

std::wstring AboutLabelText() {
    return AsciiWide(AboutText(
        ProgramVersion, FormatTimestamp("[ %dd-%mm-%yyyy / %hh:%ii:%ss ]", kBuildTimestamp)));
}

void ShowSelectedSetupTab() noexcept {
    HWND tabs = Control(SetupTabs);
    if (!tabs) return;
    const bool shown = (GetWindowLongPtrW(tabs, GWL_STYLE) & WS_VISIBLE) != 0;
    const int selected = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    for (const PanelControl& c : PanelControls())
        ShowWindow(Control(c.id), shown && c.page == selected ? SW_SHOWNA : SW_HIDE);
    // The pages' frames do not paint their inside, and the tab control paints around its pages'
    // controls only: without a fresh background the last page's traces would stay inside them.
    if (shown) {
        RECT area = ControlRect(SetupTabs);
        RedrawWindow(g_MainWindow, &area, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void RunSetupPanel() {
    PageVisit page(TaskList, SetupTabs, {TerminateButton});
    SetControlText(TerminateButton, L"Back");
    if (!Control(SetupTabs))
        BuildSetupPanel();
    else
        ShowControl(SetupTabs, true);
    page.Disable({SetupButton, RefreshButton, DetectButton, ClearButton, InfoButton});
    // The record changes only on Back, and only where the user changed what was shown; until then
    // the page's state lives in its controls.
    const PreferenceChoices shown = ChoicesFromSettings(g_Settings);
    ShowChoices(shown);
    SetControlText(TaskFrame, L"Setup");

    for (;;) {
        const Event event = WaitEvent(false);
        if (event.kind == EventKind::Close) Shutdown();
        if (event.id == TerminateButton) break;
        if (event.id == ShowButton)
            ShowExportsOfField();
        else if (event.id == StartButton)
            StartCommand();
        else if (const BrowseRow* row = BrowseRowOf(event.id))
            ChooseFile(*row);
    }

    std::wstring askCaption;
    StorePreferences(g_Settings, shown, ReadChoices(askCaption));
    AddLogLine(L"Message: " + askCaption);
    page.Leave();
    ApplyLogVisibility();
}
