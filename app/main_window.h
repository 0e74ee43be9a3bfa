// The main window, its controls and the plumbing shared by every page of the program.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/layout.h"

extern HINSTANCE g_Instance;
extern HWND g_MainWindow;
// The DPI the window is laid out for: every place, column width and font follows it.
extern int g_Dpi;
extern HFONT g_SmallFont;
extern HFONT g_TitleFont;
// The controls' font: the default GUI font, or one like it made for the window's DPI where the
// system made that one for another.
extern HFONT g_DialogFont;
// The banner's picture, drawn once by DrawBanner.
extern HBITMAP g_BannerBitmap;

extern const char* const ProgramVersion;

// The window shows wide text, as the system writes names and paths.
HWND Control(int id);
std::wstring ControlText(int id);
void SetControlText(int id, const std::wstring& text);
void EnableControl(int id, bool enable);
void ShowControl(int id, bool show);
// Rectangle of a control in the main window's client coordinates.
RECT ControlRect(int id);

// Asks the system for the window's own DPI on every monitor, before any window exists; what the
// system does not know is left as it is.
void DeclareDpiAwareness();
bool CreateMainWindow();
void BuildTaskPage();
void DrawBanner();
void ApplyLogVisibility();
// The window moved to a monitor of another DPI: it takes the rectangle the system suggests (when
// given), and its fonts, banner, controls (those of hidden pages too) and client size follow.
void ChangeDpi(int dpi, const RECT* suggested);
// Writes the session log and the settings, releases everything and exits with code 0.
[[noreturn]] void Shutdown();
// Releases the system binding, the window, the banner and the fonts and exits with code 0,
// writing nothing: the last step of Shutdown, and the whole end when the window cannot be
// created at start-up.
[[noreturn]] void EndProgram();
// Writes the session log block (when EnableSaveInfo is on) and the settings, as Shutdown does;
// only the first call of a run writes, so the end of the Windows session and a later close
// leave one block.
void SaveSession();

// Events as the loops see them: a command from a child control (by ID) or the close request.
enum class EventKind { Command, Close };
struct Event {
    EventKind kind;
    int id;
};
// Waits for the next event. With pauseWhenIdle the wait polls and, when no message is waiting,
// pauses up to 10 ms or until a message arrives (the loops of the module and export pages);
// otherwise it blocks.
Event WaitEvent(bool pauseWhenIdle);
void RunMainEventLoop();
// Queues an event for the loops (called by the window procedure).
void PushEvent(const Event& event);
// Waits while the window keeps painting and answering other programs (0: only handles what is
// waiting). The user's input and the events it causes are kept for after the wait: no other
// action runs inside the caller.
void PauseAnswering(DWORD milliseconds);

// Drops the clicks of control `id` already waiting as events, and the mouse presses on it that
// arrive within the system's double-click time from now. A page's Back shares its button with
// the page beneath it (Terminate on the task page, Back on the module page): the second click of
// a double-click on Back must not reach that page.
void IgnoreClicksFor(int id);

// One visit of a page, by the page convention: entering hides the control the page replaces and
// keeps the frame's caption and the captions the page changes; Disable moves the focus off what
// it disables (to the page's own control) and then disables it. Leaving hides the page's control
// (emptying it when it is a list view), shows the replaced one, puts back every kept caption,
// enables what was disabled, gives the focus back to the control that opened the page and drops
// the second click of a double-click on Back. The destructor leaves a page not yet left, so that
// a page that fails on its way (out of memory) still gives the page beneath back whole.
class PageVisit {
  public:
    PageVisit(int replaced, int pageControl, std::initializer_list<int> keepCaptions);
    ~PageVisit();
    PageVisit(const PageVisit&) = delete;
    PageVisit& operator=(const PageVisit&) = delete;

    // Call once the page's control is shown.
    void Disable(std::initializer_list<int> ids);
    void Leave();

  private:
    int replaced_;
    int pageControl_;
    HWND opener_;
    std::wstring frameCaption_;
    std::vector<std::pair<int, std::wstring>> keptCaptions_;
    std::vector<int> disabled_;
    bool left_ = false;
};

enum class ControlFont { Dialog, Small };
// Creates a child control of the main window. Its place is given in the 96-DPI layout: in the
// client area, or, with an `anchor`, in the page area of that tab control; the control keeps that
// place whenever the DPI changes. The creation order is also the order in which Tab moves the
// focus.
HWND CreateControl(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                   const Box& place, int id, ControlFont font = ControlFont::Dialog,
                   int anchor = -1);
// The place a control was created at, in the 96-DPI layout (an empty box for none).
Box LayoutBox(int id);
// Keeps the creation order of the controls, which is the order of Tab.
void AddToTabOrder(HWND control);
// A report-view list with a sunken edge, one selectable row, the selection always shown.
HWND CreateListView(int id, const Box& place, DWORD extraStyle, DWORD extendedStyle);
// A column `width` pixels wide in the 96-DPI layout.
void AddListColumn(HWND list, int index, const wchar_t* title, int width, int format = LVCFMT_LEFT);
int AddListRow(HWND list, const std::vector<std::wstring>& cells);
