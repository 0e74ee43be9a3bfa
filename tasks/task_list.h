// Check marks and selection of the task list's rows.
#pragma once
#include <windows.h>

bool RowChecked(HWND list, int row);
bool RowSelected(HWND list, int row);
void SetRowState(HWND list, int row, bool checked, bool selected);
