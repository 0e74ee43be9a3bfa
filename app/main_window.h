// The main window, its controls and the plumbing shared by every page of the program.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/control_ids.h"

extern HINSTANCE g_Instance;
extern HWND g_MainWindow;
extern HFONT g_SmallFont;
extern HFONT g_TitleFont;
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

bool CreateMainWindow();
void BuildTaskPage();
void DrawBanner();
void ApplyLogVisibility();
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

// Creates a child control of the main window in the default GUI font (or the given one). The
// creation order is also the order in which Tab moves the focus.
HWND CreateControl(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x,
                   int y, int width, int height, int id, HFONT font = nullptr);
// A report-view list with a sunken edge, one selectable row, the selection always shown.
HWND CreateListView(int id, const RECT& r, DWORD extraStyle, DWORD extendedStyle);
void AddListColumn(HWND list, int index, const wchar_t* title, int width, int format = LVCFMT_LEFT);
int AddListRow(HWND list, const std::vector<std::wstring>& cells);
