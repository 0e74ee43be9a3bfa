// The judgements the task actions make on a task's recorded name and path, and the cells shown
// for it. Texts are single-byte ANSI.
#pragma once
#include <string>
#include <vector>

#include "tasks/task_table.h"

// Lowers bytes 0x61-0x7A and 0xE0-0xFF by 0x20, the way the task tests compare names and paths.
std::string UpperAnsi(std::string text);

// A task whose file lies in a system32 folder, or the kernel's own process, gets the critical
// question before it is terminated.
bool IsCriticalTask(const std::string& fileName, int32_t pid);

// Detect's judgement: a task outside the system folder is unnecessary, with the named
// exceptions. ownUpper is the program's own task name, upper-cased.
bool IsUnnecessaryTask(const std::string& fileName, const std::string& name,
                       const std::string& ownUpper, int32_t enableDetectOwnTask);

// The eight cells of a task list row, in column order.
std::vector<std::string> TaskCells(const TaskRecord& record);
