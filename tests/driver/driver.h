// Works Morvane's window from another process, as a user or an accessibility tool would.
//
// Everything here acts on windows of a different process: messages are sent with a time-out so
// that a hung or busy target can never hang the caller, and every wait is bounded. Texts read
// from and typed into the target are UTF-8, so that every name arrives as the window shows it.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace driver {

// Time given to one cross-process message and the default for waits.
constexpr DWORD kMessageTimeoutMs = 5000;
constexpr DWORD kWaitTimeoutMs = 10000;

// Owns one kernel handle.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    Handle& operator=(Handle&& other) noexcept;
    ~Handle() { Reset(); }
    HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset(HANDLE h = nullptr);

  private:
    HANDLE h_ = nullptr;
};

// A program started (and owned) by the driver, or one attached to by id (not owned). An owned
// program still running when this object goes away is terminated and waited for. A started
// program shares no console with its starter and gets the null device as its standard handles.
class Process {
  public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();

    // Starts `exe` with `workDir` as its current folder (empty: the caller's). `args` is appended
    // to the quoted program path on the command line. False when the start failed. The narrow
    // form takes ANSI texts.
    bool Start(const std::string& exe, const std::string& workDir, const std::string& args = {});
    // A path of MAX_PATH characters or more is started through ntdll with its NT path, since
    // CreateProcessW refuses it in every form; that start needs a `workDir` (of fewer
    // characters).
    bool Start(const std::wstring& exe, const std::wstring& workDir, const std::wstring& args = {});
    // Opens an existing process by id; it is not terminated when this object goes away.
    bool Attach(DWORD pid);
    // Gives up ownership: the program keeps running after this object goes away.
    void Detach() { owned_ = false; }

    bool Valid() const { return static_cast<bool>(handle_); }
    DWORD Id() const { return pid_; }
    HANDLE Native() const { return handle_.Get(); }
    bool Running() const;
    // Waits until the process has ended; true (with its exit code) when it did within the time.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    // Terminates the process (exit code 1) and waits for it to be gone.
    void Kill();

  private:
    Handle handle_;
    DWORD pid_ = 0;
    bool owned_ = false;
};

// Wide text and the driver's UTF-8 texts.
std::string Utf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// Polls `done` every `stepMs` until it holds (true) or the time is up; then it is asked once
// more, so that what came true during the last pause counts.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitTimeoutMs,
               DWORD stepMs = 10);

// --- Windows --------------------------------------------------------------------------------

// Visible or hidden top-level window of process `pid` with this exact title (any title when
// empty) and class (any when empty), or null.
HWND FindTopWindow(DWORD pid, const std::string& title, const std::string& className = {});
// Polls FindTopWindow until the window exists or the time is up.
HWND WaitTopWindow(DWORD pid, const std::string& title, DWORD timeoutMs);
bool WaitVisible(HWND window, DWORD timeoutMs);
// Returns once the window's thread has handled every message sent to it before (a WM_NULL
// round trip); false when it did not answer in time.
bool Sync(HWND window, DWORD timeoutMs = kMessageTimeoutMs);
// Id of the thread that owns the window (0 if there is none).
DWORD WindowThread(HWND window);
// Text of any window through WM_GETTEXT (empty on failure or time-out).
std::string WindowText(HWND window);
std::string ClassName(HWND window);
RECT ClientRect(HWND window);
// Screen position of a window's client origin.
POINT ClientOrigin(HWND window);

struct ControlInfo {
    HWND hwnd = nullptr;
    int id = 0;
    std::string className;
    std::string text;
    RECT rect = {}; // in the parent's client coordinates
    DWORD style = 0;
    DWORD exStyle = 0;
    bool visible = false;
    bool enabled = false;
};
// Direct child windows of `parent`, in their Z order (creation order unless changed).
std::vector<ControlInfo> ListControls(HWND parent);
// The direct child with this ID; false when there is none.
bool GetControl(HWND parent, int id, ControlInfo* out);
HWND ControlHandle(HWND parent, int id);

// --- Lists and tabs of another process ------------------------------------------------------

struct ListColumn {
    std::string title;
    int width = 0;
    int format = 0; // LVCFMT_*
};
struct ListRow {
    std::vector<std::string> cells;
    bool checked = false;
    bool selected = false;
};
struct ListViewDump {
    std::vector<ListColumn> columns;
    std::vector<ListRow> rows;
    DWORD extendedStyle = 0;
};
// Reads a list view's columns, rows, cell texts, check marks and selection. False when the list
// could not be read (gone, not answering, or a target of another bitness).
bool DumpListView(HWND list, ListViewDump* out);
// Sets or clears the check mark or the selection of one row, as the user's click would.
bool SetRowChecked(HWND list, int row, bool checked);
bool SetRowSelected(HWND list, int row, bool selected);

struct ListBoxDump {
    std::vector<std::string> lines;
    int selected = -1; // LB_GETCURSEL
};
// Lines of a list box that keeps its strings (LBS_HASSTRINGS).
bool DumpListBox(HWND listBox, ListBoxDump* out);

struct TabDump {
    std::vector<std::string> titles;
    int current = -1;
};
bool DumpTabs(HWND tabs, TabDump* out);
// Selects a tab and lets the parent know (TCN_SELCHANGING/TCN_SELCHANGE) as a click would.
bool SelectTab(HWND tabs, int index);
// The area a tab control gives its pages, in its parent's client coordinates.
bool TabPageArea(HWND tabs, RECT* out);

// --- Acting -----------------------------------------------------------------------------------

// Clicks a push button, check box or radio button (BM_CLICK, posted like a real click so that
// the target's loop sees it as it sees the user's) and lets the target catch up: a message round
// trip, a short pause and another round trip. That covers what the click does directly; an
// action that pauses or runs a loop of its own may still be going on, so wait for its visible
// effect with WaitUntil. False when the button is hidden or disabled (a user could not click it
// either) or the target stopped answering. For clicks that open a modal box use PostClick.
bool Click(HWND button, DWORD timeoutMs = kWaitTimeoutMs);
// Queues the click and returns at once.
bool PostClick(HWND button);
// Tells a top-level window that it now lies on a monitor of `dpi` and where the system would put
// it there (WM_DPICHANGED), then lets it catch up.
bool SendDpiChanged(HWND top, int dpi, const RECT& suggested);
// Replaces an edit field's text (WM_SETTEXT), as typing would.
bool TypeText(HWND edit, const std::string& text);
// Moves the mouse to client point (x, y) of `window` and clicks the left button there, through
// the system's input queue. The window must be visible on screen at that point. Like Click it
// lets the target catch up for a moment, but input from that queue can arrive later still: wait
// for the click's effect with WaitUntil before checking it.
// `clicks` presses in a row make a double-click (2), as the system counts them.
bool MouseClick(HWND window, int x, int y, int clicks = 1);
// Brings `top` to the foreground and presses a key (with Shift held when asked) through the
// system's input queue, then lets the target catch up for a moment; wait for the key's effect
// with WaitUntil, as after MouseClick.
bool PressKey(HWND top, WORD virtualKey, bool shift = false);
// The window that has the keyboard focus in the thread that owns `top`, or null.
HWND FocusedWindow(HWND top);

// --- Dialogs of the target ---------------------------------------------------------------------

struct DialogButton {
    int id = 0;
    std::string text;
    bool enabled = false;
};
struct DialogInfo {
    HWND hwnd = nullptr;
    std::string title;
    std::string text; // the message box's text (static control 0xFFFF)
    std::vector<DialogButton> buttons;
};
// A visible dialog ("#32770") of process `pid`, or null.
HWND FindDialog(DWORD pid);
HWND WaitDialog(DWORD pid, DWORD timeoutMs);
bool ReadDialog(HWND dialog, DialogInfo* out);
// Presses the dialog's button with this ID (IDYES, IDNO, IDOK, IDCANCEL, ...) and waits until
// the dialog is gone. False when there is no such button or the dialog stayed.
bool AnswerDialog(HWND dialog, int buttonId, DWORD timeoutMs = kWaitTimeoutMs);
// Fills the file name of an open/save dialog and presses OK (or Cancel when `ok` is false),
// then waits until the dialog is gone.
bool AnswerFileDialog(HWND dialog, const std::string& fileName, bool ok,
                      DWORD timeoutMs = kWaitTimeoutMs);
// The file name an open/save dialog shows in its name field (empty when there is none).
std::string FileDialogName(HWND dialog);

// --- Ending -----------------------------------------------------------------------------------

// Asks the window to close (WM_CLOSE) and waits for its process to end. True with the exit code
// when it ended within the time.
bool CloseAndWait(HWND top, const Process& process, DWORD timeoutMs, DWORD* exitCode);

// --- Screen -----------------------------------------------------------------------------------

// Pixels copied from the screen, row by row from the top.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
bool CaptureScreen(const RECT& screenRect, Capture* out);
// The client area of a window as it is shown on the screen.
bool CaptureClient(HWND window, Capture* out);

// --- Measuring --------------------------------------------------------------------------------

// Working-set size of a process in bytes (0 when it cannot be read).
SIZE_T WorkingSetBytes(HANDLE process);

} // namespace driver
