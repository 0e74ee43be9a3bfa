#include "app/window_place.h"

#include <algorithm>

void PlaceToOpen(int32_t& x, int32_t& y, const ScreenRect& window, const ScreenRect& captionBar,
                 const std::vector<ScreenRect>& workAreas) {
    // In 64 bits: a saved corner may lie anywhere a 32-bit number reaches.
    const int64_t dx = int64_t{x} - window.left;
    const int64_t dy = int64_t{y} - window.top;
    for (const ScreenRect& area : workAreas)
        if (captionBar.left + dx >= area.left && captionBar.top + dy >= area.top &&
            captionBar.right + dx <= area.right && captionBar.bottom + dy <= area.bottom)
            return;
    if (workAreas.empty()) return;
    const ScreenRect& primary = workAreas.front();
    const int64_t width = int64_t{primary.right} - primary.left;
    const int64_t height = int64_t{primary.bottom} - primary.top;
    x = static_cast<int32_t>(primary.left + width / 2 -
                             std::min(width, int64_t{window.right} - window.left) / 2);
    y = static_cast<int32_t>(primary.top + height / 2 -
                             std::min(height, int64_t{window.bottom} - window.top) / 2);
}
