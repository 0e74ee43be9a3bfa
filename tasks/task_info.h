// The module page's cells that need no window.
#pragma once
#include <cstdint>
#include <string>

// A row number right-aligned in three characters ("  1", " 12", "123"); longer numbers keep
// their first three digits.
std::wstring EntryCell(int32_t number);
