// Where the keyboard focus goes when the window or a page hands it on: the window keeps its focused
// control while another window is active, and a list that takes the focus shows a focused row.
#pragma once
#include <windows.h>

// Whether any part of the control lies within the window's client area (a control below a
// shortened window does not).
bool InView(HWND control);
// A control Tab stops at: visible, enabled, with the tab-stop style, and in view.
bool IsTabStop(HWND control);
// Notes the focused control of the window, when there is one; called as the window loses the
// activation or is disabled by a dialog it owns.
void RememberFocus();
// Gives the focus back to the noted control, or, when that one cannot take it, to the first tab
// stop; called as the window is activated again.
void RestoreFocus();
// A list view that has the focus and no focused row gets its first row focused, neither checked
// nor selected, so that the focus can be seen and Space acts on that row.
void GiveListAFocusedRow(HWND list);
