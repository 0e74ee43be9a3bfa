// The program's top: the main window with its task page and banner, start-up, the task page's
// loop and the orderly end. What the pages and actions use of the window lives in ui/.
#pragma once
#include <windows.h>

#include "base/gdi_win.h"
#include "settings/settings_file.h"
#include "ui/events.h"
#include "ui/window.h"

// The banner's picture, drawn by DrawBanner for the window's DPI and the system's colours, and
// again whenever either changes.
extern GdiBitmap g_BannerBitmap;

extern const char* const ProgramVersion;

// SystemParametersInfoW, through which the banner learns whether high contrast is on; tests put
// a stand-in here where the system cannot switch it on.
using SystemParametersFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
extern SystemParametersFn g_SystemParameters;

// Everything up to showing the window, in order: the DPI awareness, common controls, the system
// binding, the system's folders and code page, the paths and defaults, the session header, the
// window (false when it cannot be made), the settings file, the task page, the log's hand-over,
// the waiting log blocks, the start-up check of the folder, the first refresh and the log's
// visibility. WinMain and the window-side tests start the same way.
bool StartUp(HINSTANCE instance);
// Asks the system for the window's own DPI on every monitor, before any window exists; what the
// system does not know is left as it is.
void DeclareDpiAwareness();
bool CreateMainWindow();
void BuildTaskPage();
void DrawBanner();
void ApplyLogVisibility();
// Reads Morvane.ini over the settings and, when EnableRestoreWindow is on, moves the (still
// hidden) window to the corner the file keeps, where its caption bar can be grabbed (else to the
// middle of the primary monitor's work area).
void LoadSettingsAndPlace(HWND window);
// The window's outer top-left corner, as Morvane.ini keeps it: the restored place of a minimised
// window; (0, 0) without a window.
WindowCorner CornerToKeep(HWND window);
// The window moved to a monitor of another DPI: it takes the rectangle the system suggests (when
// given), and its fonts, banner, controls (those of hidden pages too) and client size follow.
void ChangeDpi(int dpi, const RECT* suggested);
void RunMainEventLoop();
// Writes the session log and the settings, releases everything and exits with code 0.
[[noreturn]] void Shutdown();
// Gives back the banner's picture and the fonts, once the window is gone.
void ReleaseDrawings();
// Releases the system binding, the window, the banner and the fonts and exits with code 0,
// writing nothing: the last step of Shutdown, and the whole end when the window cannot be
// created at start-up.
[[noreturn]] void EndProgram();
// Writes the settings and the session log block (when EnableSaveInfo is on), as Shutdown does;
// only the first call of a run writes, so the end of the Windows session and a later close
// leave one block.
void SaveSession();
