// Where the main window opens: plain arithmetic over the screen's work areas, kept apart from the
// Win32 code.
#pragma once
#include <cstdint>
#include <vector>

// A rectangle on the screen: left and top inside, right and bottom just outside.
struct ScreenRect {
    int32_t left, top, right, bottom;
};
// Where the window opens, as its outer top-left corner, when the settings file saved (x, y):
// there when the window's caption bar then lies wholly inside one monitor's work area, so that it
// can be grabbed; else centred in the primary monitor's work area, the first of `workAreas`, as
// at first start (the saved corner when no monitor is known). `window` and `captionBar` are the
// window's outer rectangle and its caption bar where the window is now.
void PlaceToOpen(int32_t& x, int32_t& y, const ScreenRect& window, const ScreenRect& captionBar,
                 const std::vector<ScreenRect>& workAreas);
