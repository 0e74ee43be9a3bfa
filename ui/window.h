// The main window as the actions see it: its controls by ID, their texts and places, and the
// making of controls. The window itself is made and run by app/.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/gdi_win.h"
#include "ui/control_ids.h"
#include "ui/geometry.h"

extern HINSTANCE g_Instance;
extern HWND g_MainWindow;
// The DPI the window is laid out for: every place, column width and font follows it.
extern int g_Dpi;

// The window shows wide text, as the system writes names and paths.
HWND Control(int id);
std::wstring ControlText(int id);
void SetControlText(int id, const std::wstring& text);
void EnableControl(int id, bool enable);
void ShowControl(int id, bool show);
// Rectangle of a control in the main window's client coordinates.
RECT ControlRect(int id);
// Whether the keyboard can reach the window: shown and enabled, and so are its parents.
bool CanTakeFocus(HWND hwnd);

enum class ControlFont { Dialog, Small };
// The fonts the controls are made in, which the window makes for its DPI: the dialog font (none:
// the system's default GUI font) and the small font of the homepage line.
struct ControlFonts {
    GdiFont dialogFont;
    GdiFont smallFont;
};
// Takes the window's fonts and gives back those held before, which the caller keeps until every
// control has taken the new ones (PlaceControls).
ControlFonts SetControlFonts(ControlFonts fonts);
// The font the controls of that kind are made in.
HFONT FontOf(ControlFont font);
// Creates a child control of the main window. Its place is given in the 96-DPI layout: in the
// client area, or, with an `anchor`, in the page area of that tab control; the control keeps that
// place whenever the DPI changes. The creation order is also the order in which Tab moves the
// focus.
HWND CreateControl(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                   const Box& place, int id, ControlFont font = ControlFont::Dialog,
                   int anchor = -1);
// The place a control was created at, in the 96-DPI layout (an empty box for none).
Box LayoutBox(int id);
// Puts every control made by CreateControl at its place for g_Dpi, in its font, with its columns:
// those of hidden pages too.
void PlaceControls();
// Every control, in the order it was created.
const std::vector<HWND>& ControlsInCreationOrder();
// A left-aligned column `width` pixels wide in the 96-DPI layout (ui/list_view.h makes a list's
// columns from its table).
void AddListColumn(HWND list, int index, const wchar_t* title, int width);

// What the window procedure hands on of a notification from a child control: a handler
// registered for the control's ID answers it (the export list's cells, the tab strip's page).
using NotifyHandler = LRESULT (*)(const NMHDR& header, LPARAM lParam, bool& handled);
void SetNotifyHandler(int id, NotifyHandler handler);
// The answer of the handler registered for the sender; `handled` is false when there is none or
// it left the notification to the default handling. Never throws.
LRESULT HandleNotify(LPARAM lParam, bool& handled);
