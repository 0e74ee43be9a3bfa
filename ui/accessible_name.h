// Names that screen readers read for controls whose caption says too little ("...") or that have
// no label beside them. The control looks and behaves as before; only what an accessibility tool
// asks through WM_GETOBJECT gets the name.
#pragma once
#include <windows.h>

// Gives `control` the accessible name `name` (a text that lives as long as the program). The
// system's own accessible object of the control answers every other question.
void SetAccessibleName(HWND control, const wchar_t* name);
