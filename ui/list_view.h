// The pages' lists: report views made from a column table, their rows, check marks and selection.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui/list_columns.h"
#include "ui/window.h"

// A report-view list with a sunken edge, one selectable row, the selection always shown.
HWND CreateListView(int id, const Box& place, DWORD extraStyle, DWORD extendedStyle);
// The table's columns, their widths taken at the list's place in the 96-DPI layout.
template <typename Row> void AddListColumns(HWND list, const ListColumns<Row>& columns) {
    const int listWidth = LayoutBox(GetDlgCtrlID(list)).width;
    for (size_t i = 0; i < columns.size(); ++i)
        AddListColumn(list, static_cast<int>(i), columns[i].title, columns[i].width.For(listWidth));
}
// Adds a row at the end; its index, or -1 when the list refused it.
int AddListRow(HWND list, const std::vector<std::wstring>& cells);
// Writes the cells of an existing row; false when the list refuses one of them.
bool SetListRow(HWND list, int row, const std::vector<std::wstring>& cells);

// The selected row; -1 for none.
int SelectedRow(HWND list);
bool RowChecked(HWND list, int row);
bool RowSelected(HWND list, int row);
void SetRowState(HWND list, int row, bool checked, bool selected);
