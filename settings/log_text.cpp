#include "settings/log_text.h"

#include <string_view>

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

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool SameAsciiText(const std::wstring& text, size_t at, const char* ascii) {
    for (size_t i = 0; ascii[i] != '\0'; ++i, ++at) {
        if (at >= text.size()) return false;
        wchar_t c = text[at];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
        if (c != static_cast<wchar_t>(ascii[i])) return false;
    }
    return true;
}

// "[ <label>: dd-mm-yyyy / hh:ii:ss ]", the digits anything.
bool IsStampLine(std::string_view line, std::string_view label) {
    const std::string_view shape = "00-00-0000 / 00:00:00 ]";
    if (line.size() != 4 + label.size() + shape.size() || line.substr(0, 2) != "[ " ||
        line.substr(2, label.size()) != label || line.substr(2 + label.size(), 2) != ": ")
        return false;
    line.remove_prefix(4 + label.size());
    for (size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == '0' ? line[i] < '0' || line[i] > '9' : line[i] != shape[i]) return false;
    return true;
}

// Two blanks and text: no control character but the tab.
bool IsEntryLine(std::string_view line) {
    if (line.substr(0, 2) != "  ") return false;
    for (char c : line) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return false;
    }
    return true;
}

} // namespace

bool IsPendingBlockName(const std::wstring& fileName) {
    const char* const head = "morvane.log.";
    const char* const tail = ".pending";
    const size_t digitsFrom = 12;
    size_t digitsTo = digitsFrom;
    while (digitsTo < fileName.size() && IsDigit(fileName[digitsTo]))
        ++digitsTo;
    const size_t digits = digitsTo - digitsFrom;
    return SameAsciiText(fileName, 0, head) && digits >= 1 && digits <= 10 &&
           fileName.size() == digitsTo + 8 && SameAsciiText(fileName, digitsTo, tail);
}

bool IsSessionBlockText(const std::string& text) {
    enum class Next { Header, EntryOrEnd, EmptyLine } next = Next::Header;
    const std::string_view all = text;
    for (size_t at = 0; at < all.size();) {
        const size_t end = all.find("\r\n", at);
        if (end == std::string_view::npos) return false;
        // A lone CR or LF inside is a control character of an entry, or spoils a stamp line.
        const std::string_view line = all.substr(at, end - at);
        at = end + 2;
        switch (next) {
        case Next::Header:
            if (!IsStampLine(line, "Session-Log")) return false;
            next = Next::EntryOrEnd;
            break;
        case Next::EntryOrEnd:
            if (IsStampLine(line, "Session-End"))
                next = Next::EmptyLine;
            else if (!IsEntryLine(line))
                return false;
            break;
        case Next::EmptyLine:
            if (!line.empty()) return false;
            next = Next::Header;
            break;
        }
    }
    return !all.empty() && next == Next::Header;
}
