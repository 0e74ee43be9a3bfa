#include "base/format.h"

std::string Decimal(int64_t value) {
    return std::to_string(value);
}

std::string FilePart(const std::string& path) {
    std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
