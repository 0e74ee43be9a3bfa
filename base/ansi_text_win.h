// Conversions between the system's wide text and the ANSI code page's single-byte text.
#pragma once
#include <string>

// The wide text of an ANSI text, as the system's narrow calls read it; empty when it has none.
std::wstring WideText(const std::string& text);
// The ANSI text of a wide text, as the narrow calls and the files' contents show it; characters
// the code page lacks become "?".
std::string AnsiText(const std::wstring& text);
