#include "app/layout.h"

#include <algorithm>

Point CenteredOrigin(int screenWidth, int screenHeight, int outerWidth, int outerHeight) {
    return {screenWidth / 2 - std::min(screenWidth, outerWidth) / 2,
            screenHeight / 2 - std::min(screenHeight, outerHeight) / 2};
}

std::pair<int, int> BannerShades(int i) {
    // The first 33 steps stay black, so both ends of the banner fade out.
    if (i <= 32) return {0, 0};
    return {i - 30, i - 31};
}
