// The module page's cells that need no window.
#pragma once
#include <cstdint>
#include <string>

#include "proc/process_api.h"
#include "ui/list_columns.h"

// A row number right-aligned in three characters ("  1", " 12", "123"); longer numbers keep
// their first three digits.
std::wstring EntryCell(int32_t number);

// The module list's columns; its rows are the modules of a task after the program file.
extern const ListColumns<ModuleInfo> kModuleColumns;
