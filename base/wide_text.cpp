#include "base/wide_text.h"

namespace {

// Units of the character that starts at `i`: two for a whole pair, else one.
size_t CharacterUnits(const std::wstring& text, size_t i) {
    return IsLeadUnit(text[i]) && i + 1 < text.size() && IsTrailUnit(text[i + 1]) ? 2 : 1;
}

} // namespace

std::wstring CutText(const std::wstring& text, size_t units) {
    if (text.size() <= units) return text;
    size_t end = units;
    // A pair whose first unit is the last to fit goes as a whole.
    if (end > 0 && IsLeadUnit(text[end - 1]) && IsTrailUnit(text[end])) --end;
    return text.substr(0, end);
}

std::wstring WithoutLastCharacters(const std::wstring& text, size_t count) {
    size_t end = text.size();
    for (; count > 0 && end > 0; --count) {
        --end;
        if (end > 0 && IsTrailUnit(text[end]) && IsLeadUnit(text[end - 1])) --end;
    }
    return text.substr(0, end);
}

std::string NarrowText(const std::wstring& text, const CharacterEncoder& encode) {
    std::string out;
    out.reserve(text.size());
    std::string bytes;
    for (size_t i = 0; i < text.size();) {
        const size_t units = CharacterUnits(text, i);
        bytes.clear();
        if (encode(text.substr(i, units), bytes) && !bytes.empty())
            out += bytes;
        else
            out += '?';
        i += units;
    }
    return out;
}

std::wstring AsciiWide(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return wide;
}
