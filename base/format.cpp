#include "base/format.h"

std::wstring Decimal(int64_t value) {
    return std::to_wstring(value);
}
