// The judgements the task actions make on a task's recorded name and path, and the cells shown
// for it. Texts are wide, as the system writes them.
#pragma once
#include <string>
#include <vector>

#include "tasks/task_table.h"
#include "ui/list_columns.h"

// Upper-casing as the task tests do it: a-z, and the letters of the ANSI code page's bytes
// 0xE0-0xFF, each to the letter of the byte 0x20 below it ("à" to "À" in the Western code page).
// Every other character stays as it is, so that none outside the code page can pass for a letter
// of a pattern.
std::wstring UpperAnsi(std::wstring text);
// The characters of the code page's bytes 0xC0-0xFF, in byte order (0 for a byte that is not a
// character by itself), read from the system once at start-up; until then those of the Western
// code page. A text of any other length is ignored.
void SetAnsiUpperHalf(const std::wstring& bytesC0ToFF);

// The folders in which the running system keeps its own programs, upper-cased and each ending
// in one backslash. Read from the system once at start-up; empty until then.
class SystemFolders {
  public:
    SystemFolders() = default;
    // Folders as the system names them, with or without a closing backslash. An empty name
    // (a folder the system does not have) is left out.
    explicit SystemFolders(const std::vector<std::wstring>& folders);
    // Whether an upper-cased path lies in one of the folders, directly or further down.
    bool Hold(const std::wstring& upperPath) const;

  private:
    std::vector<std::wstring> folders_;
};

extern SystemFolders g_SystemFolders;

// A task whose file lies in a system32 folder or in one of the system's folders, or the
// kernel's own process, gets the critical question before it is terminated.
bool IsCriticalTask(const std::wstring& fileName, int32_t pid, const SystemFolders& system);

// The program's own task, which Detect knows by the name it gives it: the program's file name up
// to the first dot, then ".exe" (renamed "my.tool.exe", it looks for "my.exe"). A row is told by
// the system's own name where it has one, compared as `same` compares the system's names, else by
// the name it shows, upper-cased as UpperAnsi does.
class OwnTask {
  public:
    using SameName = bool (*)(const std::wstring&, const std::wstring&);
    OwnTask(const std::wstring& programPath, SameName same);
    bool Is(const TaskRecord& r) const;

  private:
    std::wstring name_;
    std::wstring upper_;
    SameName same_;
};

// Detect's judgement: a task outside the system folder is unnecessary, with the named
// exceptions; a task in one of the system's folders never is. ownTask tells whether the row is
// the program's own task (the caller knows it by the system's name); it is spared when
// enableDetectOwnTask is exactly 1.
bool IsUnnecessaryTask(const std::wstring& fileName, const std::wstring& name, bool ownTask,
                       int32_t enableDetectOwnTask, const SystemFolders& system);

// The task list's columns; row i shows record i.
extern const ListColumns<TaskRecord> kTaskColumns;
