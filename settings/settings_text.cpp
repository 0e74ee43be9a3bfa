#include "settings/settings_text.h"

#include "base/wide_text.h"
#include "settings/preferences.h"

#include <limits>

const char* const kSettingsGroup = "Morvane SetUp";

namespace {

// One line of the text: [begin, end) without its LF and without a CR just before the LF.
struct Line {
    size_t begin;
    size_t end;
    size_t next; // start of the following line, or text.size()
};

Line LineAt(const std::string& text, size_t begin) {
    const size_t lf = text.find('\n', begin);
    Line line;
    line.begin = begin;
    if (lf == std::string::npos) {
        line.end = text.size();
        line.next = text.size();
    } else {
        line.end = lf;
        line.next = lf + 1;
    }
    if (line.end > line.begin && text[line.end - 1] == '\r') --line.end;
    return line;
}

bool EqualsIgnoringCase(const std::string& text, size_t begin, size_t end,
                        const std::string& word) {
    if (end - begin != word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (AsciiLower(text[begin + i]) != AsciiLower(word[i])) return false;
    }
    return true;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// End of the value that starts at valueStart: the first CR or LF, or the end of the text.
size_t ValueEnd(const std::string& text, size_t valueStart) {
    size_t end = valueStart;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
        ++end;
    return end;
}

void AppendLine(std::string& out, const char* key, const std::string& value) {
    out += key;
    out += " = ";
    out += value;
    out += "\r\n";
}

} // namespace

size_t FindIniGroup(const std::string& text, const std::string& group) {
    size_t pos = 0;
    while (pos < text.size()) {
        const Line line = LineAt(text, pos);
        if (line.end > line.begin && text[line.begin] == '[') {
            size_t nameEnd = line.begin + 1;
            while (nameEnd < line.end && text[nameEnd] != ']')
                ++nameEnd;
            if (EqualsIgnoringCase(text, line.begin + 1, nameEnd, group)) return line.next;
        }
        pos = line.next;
    }
    return std::string::npos;
}

bool FindIniKey(const std::string& text, size_t bodyStart, const std::string& key,
                size_t& valueStart) {
    size_t pos = bodyStart;
    while (pos < text.size()) {
        const Line line = LineAt(text, pos);
        pos = line.next;
        if (line.end > line.begin && text[line.begin] == '[') return false; // next group
        size_t k = line.begin;
        while (k < line.end && text[k] == ' ')
            ++k;
        if (k < line.end && text[k] == ';') continue;
        size_t eq = k;
        while (eq < line.end && text[eq] != '=')
            ++eq;
        if (eq == line.end) continue; // no "=": cannot be a key line
        size_t keyEnd = eq;
        while (keyEnd > k && text[keyEnd - 1] == ' ')
            --keyEnd;
        if (EqualsIgnoringCase(text, k, keyEnd, key)) {
            valueStart = eq + 1;
            return true;
        }
    }
    return false;
}

int32_t ParseIniNumber(const std::string& text, size_t valueStart) {
    const size_t end = ValueEnd(text, valueStart);
    size_t i = valueStart;
    while (i < end && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Magnitudes past the 32-bit range stop growing here; the result is clamped below.
    constexpr int64_t cap = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 2;
    int64_t magnitude = 0;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
        if (magnitude < cap) magnitude = magnitude * 10 + (text[i] - '0');
        ++i;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value < lo ? lo : (value > hi ? hi : value));
}

std::string ParseIniText(const std::string& text, size_t valueStart) {
    const size_t end = ValueEnd(text, valueStart);
    size_t i = valueStart;
    while (i < end && text[i] == ' ')
        ++i;
    return text.substr(i, end - i);
}

void ApplySettingsText(const std::string& text, Settings& s, int32_t& windowX, int32_t& windowY) {
    // The group is looked up once; each key then scans the group body once, so the work stays
    // proportional to the file's size whatever it holds.
    const size_t body = FindIniGroup(text, kSettingsGroup);
    if (body == std::string::npos) return;
    auto number = [&](const char* key, int32_t& field) {
        size_t value = 0;
        if (FindIniKey(text, body, key, value)) field = ParseIniNumber(text, value);
    };
    for (const Preference& p : kPreferences)
        number(p.key, s.*p.field);
    number("WindowX", windowX);
    number("WindowY", windowY);
    number("LostLogBlocks", s.LostLogBlocks);
    size_t value = 0;
    if (FindIniKey(text, body, "CurrentDir", value)) s.CurrentDirText = ParseIniText(text, value);
}

std::string FormatSettingsText(const Settings& s, int32_t windowX, int32_t windowY) {
    std::string out;
    out.reserve(320 + s.CurrentDirText.size());
    out += "[";
    out += kSettingsGroup;
    out += "]\r\n";
    for (const Preference& p : kPreferences)
        AppendLine(out, p.key, std::to_string(s.*p.field));
    AppendLine(out, "WindowX", std::to_string(windowX));
    AppendLine(out, "WindowY", std::to_string(windowY));
    AppendLine(out, "CurrentDir", s.CurrentDirText);
    if (s.LostLogBlocks > 0) AppendLine(out, "LostLogBlocks", std::to_string(s.LostLogBlocks));
    return out;
}
