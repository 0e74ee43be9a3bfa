// The main window's place: the corner Morvane.ini keeps, and the move to it at start-up.
#include "app/main_window.h"
#include "app/window_place.h"
#include "settings/settings.h"

#include <vector>

namespace {

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const ScreenRect area = {info.rcWork.left, info.rcWork.top, info.rcWork.right,
                             info.rcWork.bottom};
    auto& list = *reinterpret_cast<std::vector<ScreenRect>*>(areas);
    // The primary monitor's comes first; no exception may leave the callback.
    try {
        list.insert((info.dwFlags & MONITORINFOF_PRIMARY) ? list.begin() : list.end(), area);
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

// Moves the window to the corner when its caption bar can be grabbed there; else centres it on
// the primary monitor's work area.
void RestorePosition(HWND window, WindowCorner corner) {
    RECT outer{};
    POINT client{};
    if (!GetWindowRect(window, &outer) || !ClientToScreen(window, &client)) return;
    // Between the side borders, from the top border down to the client area.
    const LONG border = client.x - outer.left;
    const ScreenRect caption = {outer.left + border, outer.top + border, outer.right - border,
                                client.y};
    std::vector<ScreenRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    PlaceToOpen(corner.x, corner.y, {outer.left, outer.top, outer.right, outer.bottom}, caption,
                areas);
    SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

WindowCorner CornerToKeep(HWND window) {
    if (window == nullptr) return {0, 0};
    // A minimised window sits at a placeholder far off the screen, so its restored place is
    // taken instead; that one comes in work-area coordinates.
    if (IsIconic(window)) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof(wp);
        if (GetWindowPlacement(window, &wp)) {
            RECT normal = wp.rcNormalPosition;
            MONITORINFO mi{};
            mi.cbSize = sizeof(mi);
            const HMONITOR monitor = MonitorFromRect(&normal, MONITOR_DEFAULTTOPRIMARY);
            if (monitor != nullptr && GetMonitorInfoW(monitor, &mi)) {
                OffsetRect(&normal, mi.rcWork.left - mi.rcMonitor.left,
                           mi.rcWork.top - mi.rcMonitor.top);
            }
            return {normal.left, normal.top};
        }
    }
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top};
}

void LoadSettingsAndPlace(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    WindowCorner corner = {r.left, r.top};
    if (LoadSettings(corner) && g_Settings.EnableRestoreWindow != 0 && window != nullptr)
        RestorePosition(window, corner);
}
