#include "settings/time_format.h"

#include "base/wide_text.h"

#include <cstddef>
#include <limits>

namespace {

// Days between 1970-01-01 and the given Gregorian date (negative before it). Works on whole
// eras of 400 years so that it is exact for any year an int32 can hold.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;                                   // [0, 399]
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1; // [0, 365]
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;           // [0, 146096]
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int32_t& year, int32_t& month, int32_t& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int32_t>(yoe + era * 400 + (m <= 2));
    month = static_cast<int32_t>(m);
    day = static_cast<int32_t>(d);
}

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

void AppendTwoDigits(std::string& out, int32_t v) {
    out += static_cast<char>('0' + v / 10 % 10);
    out += static_cast<char>('0' + v % 10);
}

// True when the mask holds the token (in small letters) at pos, in any letter case.
bool TokenAt(const std::string& mask, size_t pos, const char* token) {
    for (size_t i = 0; token[i] != '\0'; ++i) {
        if (pos + i >= mask.size() || AsciiLower(mask[pos + i]) != token[i]) return false;
    }
    return true;
}

} // namespace

Timestamp MakeTimestamp(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                        int32_t second) {
    // Carry the month into the year first so that DaysFromCivil sees 1..12.
    const int64_t months = static_cast<int64_t>(month) - 1;
    const int64_t y = static_cast<int64_t>(year) + FloorDiv(months, 12);
    const int64_t m = months - FloorDiv(months, 12) * 12 + 1;
    const int64_t days = DaysFromCivil(y, m, 1) + (static_cast<int64_t>(day) - 1);
    const int64_t secs = days * 86400 + static_cast<int64_t>(hour) * 3600 +
                         static_cast<int64_t>(minute) * 60 + second;
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    return static_cast<Timestamp>(secs < lo ? lo : (secs > hi ? hi : secs));
}

TimeFields DecodeTimestamp(Timestamp t) {
    const int64_t secs = t;
    const int64_t days = FloorDiv(secs, 86400);
    const int64_t rest = secs - days * 86400;
    TimeFields f{};
    CivilFromDays(days, f.year, f.month, f.day);
    f.hour = static_cast<int32_t>(rest / 3600);
    f.minute = static_cast<int32_t>(rest / 60 % 60);
    f.second = static_cast<int32_t>(rest % 60);
    return f;
}

std::string FormatTimestamp(const std::string& mask, Timestamp t) {
    const TimeFields f = DecodeTimestamp(t);
    const std::string year = std::to_string(f.year);
    std::string out;
    out.reserve(mask.size() + 8);
    size_t i = 0;
    while (i < mask.size()) {
        const char c = mask[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        const size_t p = i + 1;
        if (TokenAt(mask, p, "yyyy")) {
            out += year;
            i = p + 4;
        } else if (TokenAt(mask, p, "yy")) {
            // The third and fourth characters of the year's text.
            out += year.size() > 2 ? year.substr(2, 2) : std::string();
            i = p + 2;
        } else if (TokenAt(mask, p, "mm")) {
            AppendTwoDigits(out, f.month);
            i = p + 2;
        } else if (TokenAt(mask, p, "dd")) {
            AppendTwoDigits(out, f.day);
            i = p + 2;
        } else if (TokenAt(mask, p, "hh")) {
            AppendTwoDigits(out, f.hour);
            i = p + 2;
        } else if (TokenAt(mask, p, "ii")) {
            AppendTwoDigits(out, f.minute);
            i = p + 2;
        } else if (TokenAt(mask, p, "ss")) {
            AppendTwoDigits(out, f.second);
            i = p + 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}
