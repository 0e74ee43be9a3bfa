#include "ui/window.h"

#include <unordered_map>

HINSTANCE g_Instance;
HWND g_MainWindow;

namespace {

std::vector<HWND> g_CreationOrder; // every control, in the order it was created
std::unordered_map<int, NotifyHandler> g_NotifyHandlers;

} // namespace

HWND Control(int id) {
    return GetDlgItem(g_MainWindow, id);
}

std::wstring ControlText(int id) {
    HWND hwnd = Control(id);
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(hwnd, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

void SetControlText(int id, const std::wstring& text) {
    SetWindowTextW(Control(id), text.c_str());
}

void EnableControl(int id, bool enable) {
    EnableWindow(Control(id), enable ? TRUE : FALSE);
}

void ShowControl(int id, bool show) {
    ShowWindow(Control(id), show ? SW_SHOW : SW_HIDE);
}

RECT ControlRect(int id) {
    RECT r = {};
    HWND hwnd = Control(id);
    if (!hwnd) return r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, g_MainWindow, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND CreateControl(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x,
                   int y, int width, int height, int id, HFONT font) {
    HWND hwnd =
        CreateWindowExW(exStyle, className, text, style, x, y, width, height, g_MainWindow,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_Instance, nullptr);
    if (!hwnd) return nullptr;
    HGDIOBJ useFont = font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(useFont), FALSE);
    g_CreationOrder.push_back(hwnd);
    return hwnd;
}

const std::vector<HWND>& ControlsInCreationOrder() {
    return g_CreationOrder;
}

HWND CreateListView(int id, const RECT& r, DWORD extraStyle, DWORD extendedStyle) {
    HWND list = CreateControl(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                  LVS_SHOWSELALWAYS | extraStyle,
                              r.left, r.top, r.right - r.left, r.bottom - r.top, id);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
    return list;
}

void AddListColumn(HWND list, int index, const wchar_t* title, int width, int format) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title);
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

int AddListRow(HWND list, const std::vector<std::wstring>& cells) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(cells.empty() ? L"" : cells[0].c_str());
    int row =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return row;
    for (size_t i = 1; i < cells.size(); ++i) {
        LVITEMW sub = {};
        sub.iSubItem = static_cast<int>(i);
        sub.pszText = const_cast<wchar_t*>(cells[i].c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub));
    }
    return row;
}

void SetNotifyHandler(int id, NotifyHandler handler) {
    g_NotifyHandlers[id] = handler;
}

LRESULT HandleNotify(LPARAM lParam, bool& handled) {
    handled = false;
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr) return 0;
    const auto it = g_NotifyHandlers.find(static_cast<int>(header->idFrom));
    if (it == g_NotifyHandlers.end() || it->second == nullptr) return 0;
    // The window procedure calls this; no exception may leave it.
    try {
        return it->second(*header, lParam, handled);
    } catch (...) {
        handled = false;
        return 0;
    }
}
