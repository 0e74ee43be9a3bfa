#include "base/format.h"

std::wstring Decimal(int64_t value) {
    return std::to_wstring(value);
}

std::wstring FilePart(const std::wstring& path) {
    const std::wstring::size_type slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}
