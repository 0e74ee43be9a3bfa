#include "settings/log_text.h"

const char* const kSessionHeaderMask = "[ Session-Log: %dd-%mm-%yyyy / %hh:%ii:%ss ]";
const char* const kSessionEndMask = "[ Session-End: %dd-%mm-%yyyy / %hh:%ii:%ss ]";
const char* const kLogTimeMask = "[ %hh:%ii:%ss ] - ";

std::string BuildLogPrefix(int32_t style, int32_t lineCount, Timestamp now) {
    if (style == LogNumberStyle) {
        // Widened so that the next number cannot overflow, however the count was obtained.
        return "[ " + std::to_string(static_cast<int64_t>(lineCount) + 1) + " ] - ";
    }
    if (style == LogTimeStyle) return FormatTimestamp(kLogTimeMask, now);
    return std::string();
}

std::string FormatSessionBlock(const std::string& header, const std::vector<std::string>& entries,
                               const std::string& endLine) {
    size_t size = header.size() + endLine.size() + 6;
    for (const std::string& e : entries)
        size += e.size() + 4;
    std::string out;
    out.reserve(size);
    out += header;
    out += "\r\n";
    for (const std::string& e : entries) {
        out += "  ";
        out += e;
        out += "\r\n";
    }
    out += endLine;
    out += "\r\n\r\n";
    return out;
}
