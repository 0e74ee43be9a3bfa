// Small text helpers shared by every folder.
#pragma once
#include <cstdint>
#include <string>

// Signed decimal without leading zeros, blanks or grouping.
std::string Decimal(int64_t value);
// The text after the last backslash (the whole text when there is none).
std::string FilePart(const std::string& path);
