#include "tasks/task_list.h"

#include <commctrl.h>

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
