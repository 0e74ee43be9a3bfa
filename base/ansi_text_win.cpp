#include "base/ansi_text_win.h"

#include <windows.h>

#include "base/wide_text.h"

TextCalls g_TextCalls = {GetACP, WideCharToMultiByte, MultiByteToWideChar};

namespace {

// Code pages for which Windows refuses WC_NO_BEST_FIT_CHARS and the default-character report:
// UTF-8 (the "Unicode UTF-8 for worldwide language support" setting), UTF-7, GB18030, the
// ISO-2022 pages, ISCII and the symbol page.
bool RefusesExactFlags(UINT page) {
    static const UINT kRefusing[] = {42,    50220, 50221, 50222,   50225,
                                     50227, 50229, 54936, CP_UTF7, CP_UTF8};
    for (UINT refusing : kRefusing)
        if (page == refusing) return true;
    return page >= 57002 && page <= 57011;
}

// The text in the code page when it comes back unchanged; false for any character the page does
// not hold exactly. Where the page takes them, WC_NO_BEST_FIT_CHARS keeps the system from
// writing a look-alike; reading the bytes back catches whatever would still differ, and is the
// only check in the pages that refuse the flag (a lone surrogate in UTF-8 comes back as U+FFFD).
bool ExactAnsi(const std::wstring& text, std::string& ansi) {
    ansi.clear();
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    const UINT page = g_TextCalls.codePage();
    const bool exactFlags = !RefusesExactFlags(page);
    const DWORD flags = exactFlags ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL usedDefault = FALSE;
    BOOL* const report = exactFlags ? &usedDefault : nullptr;
    const int bytes =
        g_TextCalls.toNarrow(page, flags, text.data(), length, nullptr, 0, nullptr, report);
    if (bytes <= 0 || usedDefault) return false;
    ansi.assign(static_cast<size_t>(bytes), '\0');
    if (g_TextCalls.toNarrow(page, flags, text.data(), length, &ansi[0], bytes, nullptr, report) !=
        bytes)
        return false;
    return !usedDefault && WideText(ansi) == text;
}

} // namespace

std::wstring WideText(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const UINT page = g_TextCalls.codePage();
    const int chars = g_TextCalls.toWide(page, 0, text.data(), length, nullptr, 0);
    if (chars <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    if (g_TextCalls.toWide(page, 0, text.data(), length, &wide[0], chars) != chars)
        return std::wstring();
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
