// Feeds arbitrary masks and moments to FormatTimestamp and checks the fields it decodes against
// MakeTimestamp.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/log_text.h"
#include "settings/time_format.h"

namespace {

int32_t Field(const std::string& s, size_t pos, size_t len) {
    int32_t v = 0;
    for (size_t i = pos; i < pos + len; ++i) {
        if (s[i] < '0' || s[i] > '9') std::abort();
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    uint32_t raw = 0;
    std::memcpy(&raw, data, 4);
    const Timestamp t = static_cast<Timestamp>(raw);
    const std::string mask(reinterpret_cast<const char*>(data) + 4, size - 4);

    const std::string out = FormatTimestamp(mask, t);
    // Every token is replaced by at most as many characters as it takes, except %yy's two
    // digits against three characters and %yyyy's four against five: the text never grows.
    if (out.size() > mask.size()) std::abort();
    // Without a "%" the mask comes back unchanged.
    if (mask.find('%') == std::string::npos && out != mask) std::abort();

    const std::string full = FormatTimestamp("%yyyy%mm%dd%hh%ii%ss", t);
    if (full.size() != 14) std::abort();
    const int32_t year = Field(full, 0, 4);
    const int32_t month = Field(full, 4, 2);
    const int32_t day = Field(full, 6, 2);
    const int32_t hour = Field(full, 8, 2);
    const int32_t minute = Field(full, 10, 2);
    const int32_t second = Field(full, 12, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) {
        std::abort();
    }
    if (MakeTimestamp(year, month, day, hour, minute, second) != t) std::abort();
    if (FormatTimestamp("%yy", t) != full.substr(2, 2)) std::abort();

    const std::string prefix = BuildLogPrefix(16, 0, t);
    if (prefix !=
        "[ " + full.substr(8, 2) + ":" + full.substr(10, 2) + ":" + full.substr(12, 2) + " ] - ") {
        std::abort();
    }
    return 0;
}
