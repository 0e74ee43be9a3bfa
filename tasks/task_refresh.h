// Reading the processes into the task table.
#pragma once
#include <cstdint>

// Fills TaskTable from one reading of the process list; returns the index of the last record.
int32_t FillTaskTable();
