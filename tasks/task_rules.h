// The judgements the task actions make on a task's recorded name and path, and the cells shown
// for it. Texts are single-byte ANSI.
#pragma once
#include <string>
#include <vector>

#include "tasks/task_table.h"

// Lowers bytes 0x61-0x7A and 0xE0-0xFF by 0x20, the way the task tests compare names and paths.
std::string UpperAnsi(std::string text);

// The folders in which the running system keeps its own programs, upper-cased and each ending
// in one backslash. Read from the system once at start-up; empty until then.
class SystemFolders {
  public:
    SystemFolders() = default;
    // Folders as the system names them, with or without a closing backslash. An empty name
    // (a folder the system does not have) is left out.
    explicit SystemFolders(const std::vector<std::string>& folders);
    // Whether an upper-cased path lies in one of the folders, directly or further down.
    bool Hold(const std::string& upperPath) const;

  private:
    std::vector<std::string> folders_;
};

extern SystemFolders g_SystemFolders;

// A task whose file lies in a system32 folder or in one of the system's folders, or the
// kernel's own process, gets the critical question before it is terminated.
bool IsCriticalTask(const std::string& fileName, int32_t pid, const SystemFolders& system);

// Detect's judgement: a task outside the system folder is unnecessary, with the named
// exceptions; a task in one of the system's folders never is. ownUpper is the program's own
// task name, upper-cased.
bool IsUnnecessaryTask(const std::string& fileName, const std::string& name,
                       const std::string& ownUpper, int32_t enableDetectOwnTask,
                       const SystemFolders& system);

// The eight cells of a task list row, in column order.
std::vector<std::string> TaskCells(const TaskRecord& record);
