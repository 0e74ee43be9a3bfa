// The judgements the task actions make on a task's recorded name and path, and the cells shown
// for it. Texts are single-byte ANSI.
#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "proc/process_api.h"
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

// The name a task list row shows for one process of a reading.
std::string DisplayName(const ProcessNameEntry& entry);

// Resolves names to the first process of one reading that bears them (compared after the
// process layer's lower-case folding), without opening any process again.
class ProcessNameIndex {
  public:
    explicit ProcessNameIndex(const std::vector<ProcessNameEntry>& reading);
    // 0 when no readable process bears the name, and always for the empty name.
    ProcessId Find(const std::string& name) const;

  private:
    std::unordered_map<std::string, ProcessId> first_;
};
