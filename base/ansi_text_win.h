// Conversions between the system's wide text and the ANSI code page's single-byte text, which the
// files keep.
#pragma once
#include <windows.h>

#include <string>

// The system's code page and its conversions, which every text of the files goes through. Tests
// put stand-ins here to model a code page as Windows treats it where Wine is laxer.
struct TextCalls {
    UINT(WINAPI* codePage)();
    int(WINAPI* toNarrow)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);
    int(WINAPI* toWide)(UINT, DWORD, LPCCH, int, LPWSTR, int);
};
extern TextCalls g_TextCalls;

// The wide text of an ANSI text, as the system's narrow calls read it; empty when it has none.
std::wstring WideText(const std::string& text);
// The ANSI text of a wide text, as the files hold it: a character the code page does not hold
// exactly becomes "?", never a look-alike ("ｓ" is not written "s").
std::string AnsiText(const std::wstring& text);
// Whether the code page holds every character of the text exactly.
bool AnsiHolds(const std::wstring& text);
