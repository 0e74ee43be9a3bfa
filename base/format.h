// Numbers as the window and the files show them. Texts the window shows are wide, as the system
// writes them.
#pragma once
#include <cstdint>
#include <string>

// Signed decimal without leading zeros, blanks or grouping.
std::wstring Decimal(int64_t value);
