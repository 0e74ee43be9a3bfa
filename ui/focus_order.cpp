#include "ui/focus_order.h"

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
