// The main window as the actions see it: its controls by ID, their texts and places, and the
// making of controls and list rows. The window itself is made and run by app/.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/control_ids.h"

extern HINSTANCE g_Instance;
extern HWND g_MainWindow;

// The window shows wide text, as the system writes names and paths.
HWND Control(int id);
std::wstring ControlText(int id);
void SetControlText(int id, const std::wstring& text);
void EnableControl(int id, bool enable);
void ShowControl(int id, bool show);
// Rectangle of a control in the main window's client coordinates.
RECT ControlRect(int id);

// Creates a child control of the main window in the default GUI font (or the given one). The
// creation order is also the order in which Tab moves the focus.
HWND CreateControl(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x,
                   int y, int width, int height, int id, HFONT font = nullptr);
// Every control, in the order it was created.
const std::vector<HWND>& ControlsInCreationOrder();
// A report-view list with a sunken edge, one selectable row, the selection always shown.
HWND CreateListView(int id, const RECT& r, DWORD extraStyle, DWORD extendedStyle);
void AddListColumn(HWND list, int index, const wchar_t* title, int width, int format = LVCFMT_LEFT);
int AddListRow(HWND list, const std::vector<std::wstring>& cells);

// What the window procedure hands on of a notification from a child control: a handler
// registered for the control's ID answers it (the export list's cells, the tab strip's page).
using NotifyHandler = LRESULT (*)(const NMHDR& header, LPARAM lParam, bool& handled);
void SetNotifyHandler(int id, NotifyHandler handler);
// The answer of the handler registered for the sender; `handled` is false when there is none or
// it left the notification to the default handling. Never throws.
LRESULT HandleNotify(LPARAM lParam, bool& handled);
