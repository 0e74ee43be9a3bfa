#include "base/ansi_text_win.h"

#include <windows.h>

#include "base/wide_text.h"

namespace {

// The text in the code page when it comes back unchanged; false for any character the page does
// not hold exactly. WC_NO_BEST_FIT_CHARS keeps the system from writing a look-alike; reading the
// bytes back catches whatever would still differ.
bool ExactAnsi(const std::wstring& text, std::string& ansi) {
    ansi.clear();
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length,
                                          nullptr, 0, nullptr, &usedDefault);
    if (bytes <= 0 || usedDefault) return false;
    ansi.assign(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, &ansi[0], bytes, nullptr,
                        &usedDefault);
    return !usedDefault && WideText(ansi) == text;
}

} // namespace

std::wstring WideText(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (chars <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], chars);
    return wide;
}

std::string AnsiText(const std::wstring& text) {
    std::string ansi;
    if (ExactAnsi(text, ansi)) return ansi;
    // Character by character, so that each one the page lacks becomes one "?".
    return NarrowText(text, ExactAnsi);
}

bool AnsiHolds(const std::wstring& text) {
    std::string ansi;
    return ExactAnsi(text, ansi);
}
