// Reading the processes into the task table.
#pragma once
#include <cstdint>

// Fills TaskTable from one reading of the process list; returns the index of the last record.
int32_t FillTaskTable();
// The same table built the slow way, by looking every row's name up in a fresh reading of all
// processes and reading each property with an open of its own. Kept to check and measure
// FillTaskTable against it.
int32_t FillTaskTableByLookup();
