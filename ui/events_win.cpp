#include "ui/events.h"

#include "ui/focus.h"
#include "ui/focus_order.h"
#include "ui/window.h"

#include <deque>
#include <vector>

namespace {

// The longest pause of an idle page loop: short enough that the page stays lively, long enough
// that it does not spin.
const DWORD kIdlePauseMs = 10;

std::deque<Event> g_Events;

// Mouse presses on one control dropped until a moment has passed (see IgnoreClicksFor).
struct IgnoredClicks {
    int id = -1;
    DWORD since = 0;
    DWORD span = 0;
    bool Cover(const MSG& msg) const {
        return (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK) &&
               msg.hwnd != nullptr && msg.hwnd == Control(id) && GetTickCount() - since < span;
    }
};
IgnoredClicks g_Ignored;

// Tab and Shift+Tab walk the visible, enabled tab stops in creation order; a control below the
// shortened window is passed over, since no one could see it had the focus.
bool HandleTabKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    if (msg.hwnd != g_MainWindow && !IsChild(g_MainWindow, msg.hwnd)) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    bool backwards = GetKeyState(VK_SHIFT) < 0;
    const std::vector<HWND>& order = ControlsInCreationOrder();
    std::vector<bool> eligible;
    int current = -1;
    HWND focus = GetFocus();
    for (size_t i = 0; i < order.size(); ++i) {
        HWND hwnd = order[i];
        eligible.push_back(IsTabStop(hwnd));
        if (hwnd == focus || IsChild(hwnd, focus)) current = static_cast<int>(i);
    }
    int next = NextTabStop(eligible, current, backwards);
    if (next >= 0) SetFocus(order[next]);
    return true;
}

// Enter on a focused push button presses it, exactly as Space does: the button sees Space go
// down and up. On any other control Enter keeps its own meaning.
bool HandleEnterKey(const MSG& msg) {
    if ((msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) || msg.wParam != VK_RETURN)
        return false;
    const HWND focus = GetFocus();
    if (focus != msg.hwnd || GetParent(focus) != g_MainWindow) return false;
    wchar_t className[16] = {};
    GetClassNameW(focus, className, 16);
    const LONG_PTR type = GetWindowLongPtrW(focus, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiW(className, L"Button") != 0 || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON))
        return false;
    SendMessageW(focus, msg.message, VK_SPACE, msg.lParam);
    return true;
}

bool IsAutoRadio(HWND hwnd) {
    const LONG_PTR type = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    return lstrcmpiW(className, L"Button") == 0 && type == BS_AUTORADIOBUTTON;
}

// The arrow keys move the choice within an option group, as in any dialog: the next or previous
// option of the group (which runs from a WS_GROUP control to the next one, in creation order)
// takes the focus and is chosen. Only on an option button; elsewhere the keys keep their own
// meaning (the lists and the tab strip handle them themselves).
bool HandleArrowKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    const bool forward = msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT;
    if (!forward && msg.wParam != VK_UP && msg.wParam != VK_LEFT) return false;
    const HWND focus = GetFocus();
    if (focus != msg.hwnd || GetParent(focus) != g_MainWindow || !IsAutoRadio(focus)) return false;
    const std::vector<HWND>& order = ControlsInCreationOrder();
    std::vector<bool> eligible;
    int current = -1;
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] == focus) current = static_cast<int>(i);
    if (current < 0) return false;
    size_t first = static_cast<size_t>(current);
    while (first > 0 && (GetWindowLongPtrW(order[first], GWL_STYLE) & WS_GROUP) == 0)
        --first;
    size_t end = static_cast<size_t>(current) + 1;
    while (end < order.size() && (GetWindowLongPtrW(order[end], GWL_STYLE) & WS_GROUP) == 0)
        ++end;
    for (size_t i = first; i < end; ++i)
        eligible.push_back(CanTakeFocus(order[i]) && IsAutoRadio(order[i]));
    const int next = NextTabStop(eligible, current - static_cast<int>(first), !forward);
    if (next < 0) return true;
    HWND option = order[first + static_cast<size_t>(next)];
    SetFocus(option);
    SendMessageW(option, BM_CLICK, 0, 0);
    return true;
}

EndOfRunHandler g_EndOfRun = nullptr;

} // namespace

void PushEvent(const Event& event) {
    // Called from the window procedure, which no exception may leave.
    try {
        g_Events.push_back(event);
    } catch (...) {
    }
}

void IgnoreClicksFor(int id) {
    g_Ignored.id = id;
    g_Ignored.since = GetTickCount();
    g_Ignored.span = GetDoubleClickTime();
    for (auto it = g_Events.begin(); it != g_Events.end();)
        it = it->kind == EventKind::Command && it->id == id ? g_Events.erase(it) : it + 1;
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
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                // Any message, posted or sent by another program reading a list, ends the pause
                // at once.
                MsgWaitForMultipleObjectsEx(0, nullptr, kIdlePauseMs, QS_ALLINPUT,
                                            MWMO_INPUTAVAILABLE);
                continue;
            }
        } else if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            return {EventKind::Close, -1};
        }
        if (msg.message == WM_QUIT) return {EventKind::Close, -1};
        // A press that the button never sees makes no click; its release then does nothing.
        if (g_Ignored.Cover(msg)) continue;
        if (HandleTabKey(msg) || HandleArrowKey(msg) || HandleEnterKey(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
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
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | pass)) {
            if (msg.message == WM_QUIT) {
                PushEvent({EventKind::Close, -1});
                continue;
            }
            DispatchMessageW(&msg);
        }
        const DWORD used = GetTickCount() - start;
        if (used >= milliseconds) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - used, wake, MWMO_INPUTAVAILABLE);
    }
}

void SetEndOfRun(EndOfRunHandler handler) {
    g_EndOfRun = handler;
}

void EndOfRun() {
    if (g_EndOfRun != nullptr) g_EndOfRun();
    ExitProcess(0);
}
