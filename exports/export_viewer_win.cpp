#include "exports/export_viewer.h"

#include "base/ansi_text_win.h"
#include "base/file_path.h"
#include "base/format.h"
#include "base/whole_file_win.h"
#include "base/wide_text.h"
#include "exports/export_reader.h"
#include "exports/export_report.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "ui/accessible_name.h"
#include "ui/events.h"
#include "ui/focus.h"
#include "ui/list_view.h"
#include "ui/page.h"
#include "ui/window.h"

#include <commdlg.h>

#include <new>
#include <vector>

namespace {

// The library shown on the export page; held only while the page is shown.
ExportLibrary g_Library;
// The page's rows, which the list asks for cell by cell. Only the visible rows are ever turned
// into text, so even the largest table fills at once.
std::vector<ExportEntry> g_Exports;

void ForgetExports() {
    std::vector<ExportEntry>().swap(g_Exports);
}

// A row of the page: an export and its address in this process.
struct ExportRow {
    const ExportEntry& entry;
    uintptr_t address;
};

const ListColumns<ExportRow> kExportColumns = {
    {L"Entry", {40}, [](const ExportRow&, int number) { return Decimal(number); }},
    // A function's name is its bytes as the ANSI code page reads them.
    {L"Function", ListWidthLess(60),
     [](const ExportRow& r, int) { return WideText(r.entry.name); }},
    // Pointer width, so the 32-bit build shows addresses above 2 GB as negative numbers.
    {L"Base",
     {90},
     [](const ExportRow& r, int) { return Decimal(static_cast<intptr_t>(r.address)); }},
};

// The report of the listed names in the chosen file. The existing file is replaced only by a
// complete new one, and the log says saved only when it was.
void SaveReport(const std::wstring& libraryName) {
    // Room for the longest path the system knows.
    std::vector<wchar_t> file(0x8000, L'\0');
    const std::wstring proposed =
        CutText(DefaultReportFileName(g_Settings.CurrentDir, libraryName), file.size() - 1);
    proposed.copy(file.data(), proposed.size());
    const std::wstring title = L"Export functions of " + libraryName;

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = g_MainWindow;
    ofn.lpstrFilter = L"Text (*.txt)\0*.txt\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    // No overwrite prompt and no default extension: the name is taken as typed.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn) || file[0] == L'\0') return;
    const std::wstring path = file.data();

    bool saved = false;
    try {
        // The names as the DLL holds them, byte for byte.
        std::vector<std::string> names;
        names.reserve(g_Exports.size());
        for (const ExportEntry& entry : g_Exports)
            names.push_back(entry.name);
        saved = ReplaceFileContent(path, FormatExportReport(AnsiText(libraryName), names));
    } catch (const std::bad_alloc&) {
        // A report too large for memory is not saved; the page stays.
    }
    AddLogLine((saved ? L"Export functions: " : L"Can't save: ") + FilePart(path));
}

// The text of one cell, cut to size (with its terminating zero) and never within a character;
// empty for a cell that does not exist.
void ExportCellText(int row, int column, wchar_t* buffer, size_t size) {
    if (!buffer || size == 0) return;
    buffer[0] = L'\0';
    if (row < 0 || static_cast<size_t>(row) >= g_Exports.size() || column < 0 ||
        static_cast<size_t>(column) >= kExportColumns.size())
        return;
    const ExportEntry& entry = g_Exports[static_cast<size_t>(row)];
    const ExportRow shown = {entry, g_Library.Address(entry)};
    const std::wstring text =
        CutText(kExportColumns[static_cast<size_t>(column)].cell(shown, row + 1), size - 1);
    buffer[text.copy(buffer, size - 1)] = L'\0';
}

// The export list keeps no rows of its own; it asks for each cell it shows. A list of a Unicode
// window asks for wide text.
LRESULT AnswerExportList(const NMHDR& header, LPARAM lParam, bool& handled) {
    handled = true;
    if (header.code != LVN_GETDISPINFOW) return 0;
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        ExportCellText(item.iItem, item.iSubItem, item.pszText,
                       static_cast<size_t>(item.cchTextMax));
    return 0;
}

// While it lives the export page is shown; its end puts the caller's page back and releases the
// library, also when the page is left by an exception.
class ExportPage {
  public:
    explicit ExportPage(int host) : visit_(host, ExportList, {InfoButton}) {
        EnableControl(InfoButton, true);
        SetControlText(InfoButton, L"Export");
        list_ = Control(ExportList);
        if (!list_) {
            SetNotifyHandler(ExportList, AnswerExportList);
            // Where the host lies, for good: later uses show it there whichever host it hides.
            const Box place = LayoutBox(host);
            list_ = CreateListView(ExportList, place, LVS_OWNERDATA,
                                   LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
            AddListColumns(list_, kExportColumns);
            SetAccessibleName(list_, L"Functions of the DLL");
        } else {
            ShowWindow(list_, SW_SHOW);
        }
        // Nothing is disabled; this only takes the focus off a button the host page hid.
        visit_.Disable({});
        SendMessageW(list_, LVM_SETITEMCOUNT, g_Exports.size(), 0);
        // The rows came after the focus did.
        GiveListAFocusedRow(list_);
        InvalidateRect(list_, nullptr, TRUE);
    }
    ~ExportPage() {
        visit_.Leave();
        SendMessageW(list_, LVM_SETITEMCOUNT, 0, 0);
        ForgetExports();
        g_Library.Close();
    }
    ExportPage(const ExportPage&) = delete;
    ExportPage& operator=(const ExportPage&) = delete;

  private:
    PageVisit visit_;
    HWND list_ = nullptr;
};

void RunExportPage(const std::wstring& libraryName, const std::wstring& path, int host) {
    // The walk comes before the page changes, so that a library that cannot be read in full
    // leaves the caller's page as it was.
    bool read = g_Library.Open(path);
    if (read) {
        try {
            g_Exports = g_Library.Exports();
        } catch (const std::bad_alloc&) {
            ForgetExports();
            g_Library.Close();
            read = false;
        }
    }
    if (!read) {
        AddLogLine(L"Can't initialize: " + FilePart(path));
        return;
    }

    const ExportPage page(host);
    const std::wstring count = Decimal(static_cast<int64_t>(g_Exports.size()));
    SetControlText(TaskFrame, libraryName + L" [ " + count + L" ]");
    AddLogLine(L"Traced functions of " + libraryName + L": " + count);

    for (;;) {
        Event event = WaitEvent(true);
        if (event.kind == EventKind::Close) EndOfRun();
        if (event.id == InfoButton)
            SaveReport(libraryName);
        else if (event.id == TerminateButton)
            break;
    }
}

} // namespace

void ReleaseExportLibrary() {
    g_Library.Close();
}

void ShowExports(const std::wstring& libraryName, const std::wstring& path, int host) {
    try {
        RunExportPage(libraryName, path, host);
    } catch (...) {
        // Out of memory on the way: the page has been put back and the library released.
    }
}
