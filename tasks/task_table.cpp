#include "tasks/task_table.h"

TaskRecord TaskTable[257];
int32_t LastTaskIndex = -1;
