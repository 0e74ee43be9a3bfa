// Wide text as the system writes it: UTF-16, where a character outside the basic plane takes two
// units. The rules here keep such a character whole wherever a text is cut or narrowed.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

inline bool IsLeadUnit(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
inline bool IsTrailUnit(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// At most `units` units of the text, cut before a character that would not fit whole.
std::wstring CutText(const std::wstring& text, size_t units);
// The text less its last `count` characters (a character of two units counts once); empty when
// it has no more.
std::wstring WithoutLastCharacters(const std::wstring& text, size_t count);

// Writes one character (one unit, or the two units of a pair) in a code page: true with its
// bytes when the page holds that very character, false when it holds only a look-alike or
// nothing.
using CharacterEncoder = std::function<bool(const std::wstring& character, std::string& bytes)>;
// The text in the code page, with one "?" for every character that the page does not hold
// exactly: never a look-alike, and never half a character.
std::string NarrowText(const std::wstring& text, const CharacterEncoder& encode);

// ASCII text, widened unit by unit (the program's own captions and messages).
std::wstring AsciiWide(const std::string& text);

// The small letter of an ASCII capital; any other byte as it is.
inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
