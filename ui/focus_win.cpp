#include "ui/focus.h"

#include "ui/window.h"

namespace {

HWND g_RememberedFocus = nullptr;

bool IsListView(HWND hwnd) {
    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    return lstrcmpiW(className, WC_LISTVIEWW) == 0;
}

} // namespace

bool InView(HWND control) {
    RECT client = {};
    RECT place = {};
    if (!control || !GetClientRect(g_MainWindow, &client) || !GetWindowRect(control, &place))
        return false;
    MapWindowPoints(nullptr, g_MainWindow, reinterpret_cast<POINT*>(&place), 2);
    RECT common = {};
    return IntersectRect(&common, &client, &place) != FALSE;
}

bool IsTabStop(HWND control) {
    return CanTakeFocus(control) && (GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) != 0 &&
           InView(control);
}

void RememberFocus() {
    const HWND focus = GetFocus();
    // Only a control of the window: a dialog may have taken the focus already.
    if (focus && focus != g_MainWindow && IsChild(g_MainWindow, focus)) g_RememberedFocus = focus;
}

void RestoreFocus() {
    HWND target = g_RememberedFocus;
    if (!CanTakeFocus(target) || !InView(target)) {
        target = nullptr;
        for (HWND control : ControlsInCreationOrder()) {
            if (IsTabStop(control)) {
                target = control;
                break;
            }
        }
    }
    if (target) SetFocus(target);
}

void GiveListAFocusedRow(HWND list) {
    if (!list || GetFocus() != list || !IsListView(list)) return;
    if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) <= 0) return;
    if (SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) >= 0) return;
    LVITEMW state = {};
    state.stateMask = LVIS_FOCUSED;
    state.state = LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
}
