// Small text helpers shared by every folder. Texts the window shows are wide, as the system
// writes them.
#pragma once
#include <cstdint>
#include <string>

// Signed decimal without leading zeros, blanks or grouping.
std::wstring Decimal(int64_t value);
// The text after the last backslash (the whole text when there is none).
std::wstring FilePart(const std::wstring& path);
