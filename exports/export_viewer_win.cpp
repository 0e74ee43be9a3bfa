#include "exports/export_viewer.h"

#include "app/format.h"
#include "app/handle_win.h"
#include "app/main_window.h"
#include "exports/export_reader.h"
#include "exports/export_report.h"
#include "settings/session_log.h"
#include "settings/settings.h"

#include <commdlg.h>

#include <vector>

namespace {

// The library shown on the export page; held only while the page is shown.
ExportLibrary g_Library;

std::string ListCell(HWND list, int row, int column) {
    char text[1024] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void SaveReport(const std::string& libraryName) {
    char file[MAX_PATH] = {};
    const std::string proposed = DefaultReportFileName(g_Settings.CurrentDir, libraryName);
    lstrcpynA(file, proposed.c_str(), MAX_PATH);
    const std::string title = "Export functions of " + libraryName;

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = g_MainWindow;
    ofn.lpstrFilter = "Text (*.txt)\0*.txt\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    // No overwrite prompt and no default extension: the name is taken as typed.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&ofn) || file[0] == '\0') return;

    AddLogLine("Export functions: " + FilePart(file));
    HWND list = Control(ExportList);
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row)
        names.push_back(ListCell(list, row, 1));
    const std::string report = FormatExportReport(libraryName, names);

    HandleGuard out(CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.Valid()) WriteAll(out.Get(), report);
}

} // namespace

void ReleaseExportLibrary() {
    g_Library.Close();
}

void ShowExports(const std::string& fileName) {
    std::string libraryName;
    std::string path;
    int host;
    if (fileName.empty()) {
        // The module page's selected DLL; there may be no module list at all yet.
        HWND modules = Control(ModuleList);
        int row = modules && (GetWindowLongPtrA(modules, GWL_STYLE) & WS_VISIBLE)
                      ? static_cast<int>(
                            SendMessageA(modules, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED))
                      : -1;
        if (row < 0) {
            AddLogLine("Please select a dll first...");
            return;
        }
        libraryName = ListCell(modules, row, 1);
        path = ListCell(modules, row, 3);
        host = ModuleList;
    } else {
        libraryName = FilePart(fileName);
        path = fileName;
        host = SetupTabs;
        EnableControl(InfoButton, true);
    }

    if (!g_Library.Open(path)) {
        AddLogLine("Can't initialize: " + FilePart(path));
        return;
    }

    const RECT hostRect = ControlRect(host);
    PageState state = EnterPage(host, {InfoButton}, {});
    SetControlText(InfoButton, "Export");
    HWND list = Control(ExportList);
    if (!list) {
        list = CreateListView(ExportList, hostRect, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        AddListColumn(list, 0, "Entry", 40);
        AddListColumn(list, 1, "Function", (hostRect.right - hostRect.left) - 60);
        AddListColumn(list, 2, "Base", 90);
    } else {
        ShowWindow(list, SW_SHOW);
    }

    const std::vector<ExportEntry> exports = g_Library.Exports();
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < exports.size(); ++i) {
        const intptr_t address = static_cast<intptr_t>(g_Library.Address(exports[i]));
        AddListRow(list, {Decimal(static_cast<int64_t>(i + 1)), exports[i].name,
                          Decimal(static_cast<int64_t>(address))});
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    const std::string count = Decimal(static_cast<int64_t>(exports.size()));
    SetControlText(TaskFrame, libraryName + " [ " + count + " ]");
    AddLogLine("Traced functions of " + libraryName + ": " + count);

    for (;;) {
        Event event = WaitEvent(true);
        if (event.kind == EventKind::Close) Shutdown();
        if (event.id == InfoButton)
            SaveReport(libraryName);
        else if (event.id == TerminateButton)
            break;
    }

    LeavePage(state, ExportList);
    g_Library.Close();
}
