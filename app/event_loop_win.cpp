#include "app/layout.h"
#include "app/main_window.h"
#include "app/setup_panel.h"
#include "tasks/task_actions.h"

#include <deque>

namespace {

// The longest pause of an idle page loop: short enough that the page stays lively, long enough
// that it does not spin.
const DWORD kIdlePauseMs = 10;

std::deque<Event> g_Events;
std::vector<HWND> g_CreationOrder; // every control, in the order it was created

// Tab and Shift+Tab walk the visible, enabled tab stops in creation order; no other key has a
// meaning of its own.
bool HandleTabKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    if (msg.hwnd != g_MainWindow && !IsChild(g_MainWindow, msg.hwnd)) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    bool backwards = GetKeyState(VK_SHIFT) < 0;
    std::vector<bool> eligible;
    int current = -1;
    HWND focus = GetFocus();
    for (size_t i = 0; i < g_CreationOrder.size(); ++i) {
        HWND hwnd = g_CreationOrder[i];
        LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
        eligible.push_back(IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
                           (style & WS_TABSTOP) != 0);
        if (hwnd == focus || IsChild(hwnd, focus)) current = static_cast<int>(i);
    }
    int next = NextTabStop(eligible, current, backwards);
    if (next >= 0) SetFocus(g_CreationOrder[next]);
    return true;
}

// The action of a TaskPage button, in the order of the dispatch table.
void Dispatch(int id) {
    switch (id) {
    case TerminateButton:
        TerminateCheckedTasks();
        break;
    case InfoButton:
        ShowTaskModules();
        break;
    case SetupButton:
        RunSetupPanel();
        break;
    case RefreshButton:
        RefreshTaskList();
        break;
    case DetectButton:
        DetectUnnecessaryTasks();
        break;
    case ClearButton:
        ClearTaskChecks();
        break;
    default:
        break; // the lists, the banner and the log start nothing
    }
}

} // namespace

void PushEvent(const Event& event) {
    // Called from the window procedure, which no exception may leave.
    try {
        g_Events.push_back(event);
    } catch (...) {
    }
}

HWND CreateControl(DWORD exStyle, const char* className, const char* text, DWORD style, int x,
                   int y, int width, int height, int id, HFONT font) {
    HWND hwnd =
        CreateWindowExA(exStyle, className, text, style, x, y, width, height, g_MainWindow,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_Instance, nullptr);
    if (!hwnd) return nullptr;
    HGDIOBJ useFont = font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(useFont), FALSE);
    g_CreationOrder.push_back(hwnd);
    return hwnd;
}

Event WaitEvent(bool pauseWhenIdle) {
    for (;;) {
        if (!g_Events.empty()) {
            Event event = g_Events.front();
            g_Events.pop_front();
            return event;
        }
        MSG msg;
        if (pauseWhenIdle) {
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                // Any message, posted or sent by another program reading a list, ends the pause
                // at once.
                MsgWaitForMultipleObjectsEx(0, nullptr, kIdlePauseMs, QS_ALLINPUT,
                                            MWMO_INPUTAVAILABLE);
                continue;
            }
        } else if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            return {EventKind::Close, -1};
        }
        if (msg.message == WM_QUIT) return {EventKind::Close, -1};
        if (HandleTabKey(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void PauseAnswering(DWORD milliseconds) {
    // Only sent, posted, timer and paint messages: the user's input stays queued for the loop
    // that handles it after the action, and the commands that the window procedure turns into
    // events wait in the event queue, so no other action starts inside this one.
    const UINT pass = PM_QS_SENDMESSAGE | PM_QS_POSTMESSAGE | PM_QS_PAINT;
    const DWORD wake = QS_SENDMESSAGE | QS_POSTMESSAGE | QS_HOTKEY | QS_TIMER | QS_PAINT;
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | pass)) {
            if (msg.message == WM_QUIT) {
                PushEvent({EventKind::Close, -1});
                continue;
            }
            DispatchMessageA(&msg);
        }
        const DWORD used = GetTickCount() - start;
        if (used >= milliseconds) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - used, wake, MWMO_INPUTAVAILABLE);
    }
}

void RunMainEventLoop() {
    for (;;) {
        Event event = WaitEvent(false);
        if (event.kind == EventKind::Close) Shutdown();
        try {
            Dispatch(event.id);
        } catch (...) {
            // An action that ran out of memory has done what it could; the program goes on and
            // still keeps its log and settings at the end.
        }
    }
}
