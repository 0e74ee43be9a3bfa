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

int NextTabStop(const std::vector<bool>& eligible, int current, bool backwards) {
    const int n = static_cast<int>(eligible.size());
    if (n == 0) return -1;
    // Without a focused control Tab starts at the first and Shift+Tab at the last.
    if (current < 0 || current >= n) current = backwards ? 0 : n - 1;
    for (int step = 1; step <= n; ++step) {
        int i = backwards ? (current - step + n) % n : (current + step) % n;
        if (eligible[i]) return i;
    }
    return -1;
}
