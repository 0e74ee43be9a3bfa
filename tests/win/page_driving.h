// Driving a page's own event loop from inside the test process: messages posted before the page
// is opened are handled by its loop in the order they were posted.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Creates the window that runs probes and starts the count of ProbesNotRun again; call on the
// main window's thread before posting any.
void PrepareProbes();
// Runs the check when the loop reaches it, so it sees the page as the earlier messages left it.
void PostProbe(std::function<void()> check);
// Probes posted since PrepareProbes that have not run, which are dropped. A probe that never ran
// asserted nothing (the page never opened, or closed before reaching it): a test whose checks
// sit in probes fails unless this is 0.
int ProbesNotRun();
// A click on a button of the main window, the way a user's click arrives.
void PostClick(int id);
// The command notification of a control without the control's own processing (also for disabled
// buttons and for edit fields).
void PostCommand(int id, WORD code = BN_CLICKED);

bool HasStyle(int id, LONG_PTR style);
// The control's own visibility flag (the main window itself may be hidden).
bool IsShown(int id);
bool IsEnabled(int id);
std::string ClassOf(int id);
int ClientHeight();

// Waits up to timeoutMs for a top-level window of the main thread with this title.
HWND WaitForThreadWindow(DWORD threadId, const std::string& title, int timeoutMs);

// Answers a file dialog of the thread from another thread: reports the folder it opened in, then
// enters the file and presses OK (or presses Cancel when file is empty) and waits until it has
// closed. False when no such dialog appeared or it would not close.
bool AnswerFileDialog(DWORD threadId, const std::string& title, const std::string& file,
                      std::string* openedFolder);

// While it lives, closes every window that the thread shows besides the main window and keeps
// their titles: pages must not open dialogs or message boxes unasked.
class WindowWatcher {
  public:
    explicit WindowWatcher(DWORD threadId);
    ~WindowWatcher();
    WindowWatcher(const WindowWatcher&) = delete;
    WindowWatcher& operator=(const WindowWatcher&) = delete;
    std::vector<std::string> Seen();

  private:
    struct State;
    State* state_;
};
