#include "ui/list_view.h"

#include <commctrl.h>

HWND CreateListView(int id, const Box& place, DWORD extraStyle, DWORD extendedStyle) {
    HWND list = CreateControl(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                  LVS_SHOWSELALWAYS | extraStyle,
                              place, id);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyle, extendedStyle);
    return list;
}

namespace {

// Writes cells `from` onwards of a row; false when the list refuses any.
bool SetCells(HWND list, int row, const std::vector<std::wstring>& cells, size_t from) {
    bool written = true;
    for (size_t i = from; i < cells.size(); ++i) {
        LVITEMW sub = {};
        sub.iSubItem = static_cast<int>(i);
        sub.pszText = const_cast<wchar_t*>(cells[i].c_str());
        if (!SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sub)))
            written = false;
    }
    return written;
}

} // namespace

int AddListRow(HWND list, const std::vector<std::wstring>& cells) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(cells.empty() ? L"" : cells[0].c_str());
    int row =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row >= 0) SetCells(list, row, cells, 1);
    return row;
}

bool SetListRow(HWND list, int row, const std::vector<std::wstring>& cells) {
    return SetCells(list, row, cells, 0);
}

int SelectedRow(HWND list) {
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool RowChecked(HWND list, int row) {
    LRESULT state = SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

bool RowSelected(HWND list, int row) {
    return (SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void SetRowState(HWND list, int row, bool checked, bool selected) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1) | (selected ? LVIS_SELECTED : 0);
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}
