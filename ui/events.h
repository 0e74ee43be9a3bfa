// The events that the loops of the main window and of its pages wait for, and the keys the
// window gives a meaning of its own (Tab, Shift+Tab, the arrows in an option group, Enter on a push
// button).
#pragma once
#include <windows.h>

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

// The orderly end of the program, which start-up installs (it writes the log and the settings
// and exits). Every loop calls EndOfRun on the close event; it never returns. Without a handler
// the process simply exits with code 0.
using EndOfRunHandler = void (*)();
void SetEndOfRun(EndOfRunHandler handler);
[[noreturn]] void EndOfRun();
