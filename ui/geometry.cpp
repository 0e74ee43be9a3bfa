#include "ui/geometry.h"

#include <cstdint>

namespace {

int64_t RoundedQuotient(int64_t dividend, int64_t divisor) {
    const int64_t half = divisor / 2;
    return (dividend < 0 ? dividend - half : dividend + half) / divisor;
}

} // namespace

int Scaled(int length, int dpi) {
    if (dpi <= 0) dpi = kLayoutDpi;
    return static_cast<int>(RoundedQuotient(static_cast<int64_t>(length) * dpi, kLayoutDpi));
}

Box Scaled(const Box& box, int dpi) {
    const int left = Scaled(box.x, dpi);
    const int top = Scaled(box.y, dpi);
    return {left, top, Scaled(box.x + box.width, dpi) - left,
            Scaled(box.y + box.height, dpi) - top};
}

int FontHeight(int points, int dpi) {
    return -static_cast<int>(RoundedQuotient(static_cast<int64_t>(points) * dpi, 72));
}
