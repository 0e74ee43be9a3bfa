// The main window, its controls and the plumbing shared by every page of the program.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <vector>

// Child-window identifiers of the main window's controls.
enum ControlId : int {
    TaskFrame = 0,
    BannerImage = 1,
    TerminateButton = 2,
    RefreshButton = 3,
    DetectButton = 4,
    ClearButton = 5,
    InfoButton = 6,
    SetupButton = 7,
    TaskList = 8,
    LogList = 9,
    ModuleList = 10,
    ExportList = 11,
    SetupTabs = 12,
    HomepageLine = 13,
};

extern HINSTANCE g_Instance;
extern HWND g_MainWindow;
extern HFONT g_SmallFont;
extern HFONT g_TitleFont;

extern const char* const ProgramVersion;
// Folder of the exe, with its trailing backslash, in ANSI text (what the dialogs start in).
extern std::string ProgramFolder;
// The same folder as the system names it, followed by "Morvane": the base of the settings and
// log file names.
extern std::wstring SettingsBasePath;

// Fills ProgramFolder and SettingsBasePath from the running exe's full path.
void SetProgramPaths();

HWND Control(int id);
std::string ControlText(int id);
void SetControlText(int id, const std::string& text);
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
// Waits while the window keeps painting and answering other programs. The user's input and the
// events it causes are kept for after the wait: no other action runs inside the caller.
void PauseAnswering(DWORD milliseconds);

// The page convention: a page hides the control it replaces, keeps the captions it changes and
// disables the buttons that do not apply; leaving puts all of that back exactly.
struct PageState {
    int replaced = -1;
    std::string frameCaption;
    std::vector<std::pair<int, std::string>> keptCaptions;
    std::vector<int> disabled;
};
PageState EnterPage(int replaced, std::initializer_list<int> keepCaptions,
                    std::initializer_list<int> disable);
// Hides the page's control (emptying it when it is a list view) and restores the caller's page.
void LeavePage(const PageState& state, int pageControl);
// Creates a child control of the main window in the default GUI font (or the given one). The
// creation order is also the order in which Tab moves the focus.
HWND CreateControl(DWORD exStyle, const char* className, const char* text, DWORD style, int x,
                   int y, int width, int height, int id, HFONT font = nullptr);
// A report-view list with a sunken edge, one selectable row, the selection always shown.
HWND CreateListView(int id, const RECT& r, DWORD extraStyle, DWORD extendedStyle);
void AddListColumn(HWND list, int index, const char* title, int width, int format = LVCFMT_LEFT);
int AddListRow(HWND list, const std::vector<std::string>& cells);
