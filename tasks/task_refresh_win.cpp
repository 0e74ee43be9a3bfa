#include "app/format.h"
#include "app/main_window.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "tasks/task_actions.h"
#include "tasks/task_refresh.h"
#include "tasks/task_rules.h"

namespace {

// The per-process readings of one row, once its id is known; the order matters because the
// module count and the base address share the module cursor.
void ReadTaskDetails(TaskRecord& r, bool& systemNamed) {
    if (r.Pid == 4 && !systemNamed) {
        r.Name = "SYSTEM";
        systemNamed = true;
    }
    const ProcessId pid = static_cast<ProcessId>(r.Pid);
    r.FileName = ProcessFileName(pid);
    r.Priority = ProcessPriority(pid);
    r.MemorySize = static_cast<int64_t>(ProcessMemory(pid));
    r.Rights = HasFullAccess(pid);
    r.DllCount = ExamineModules(pid);
    NextModule();
    r.Base = static_cast<intptr_t>(ModuleBase());
    if (r.DllCount > 1) r.DllCount -= 1;
}

} // namespace

int32_t FillTaskTable() {
    const std::vector<ProcessNameEntry> reading = ReadProcessNames();
    const ProcessNameIndex index(reading);
    const int32_t last = static_cast<int32_t>(reading.size()) - 1;
    bool systemNamed = false;
    for (int32_t i = 0; i <= last; ++i) {
        TaskRecord& r = TaskTable[i];
        r.Name = DisplayName(reading[i]);
        r.Pid = static_cast<int32_t>(index.Find(r.Name));
        ReadTaskDetails(r, systemNamed);
    }
    return last;
}

int32_t FillTaskTableByLookup() {
    const int32_t last = ExamineProcesses() - 1;
    bool systemNamed = false;
    for (int32_t i = 0; i <= last; ++i) {
        TaskRecord& r = TaskTable[i];
        NextProcess();
        r.Name = ProcessName();
        r.Pid = static_cast<int32_t>(FindProcessByName(r.Name));
        ReadTaskDetails(r, systemNamed);
    }
    return last;
}

void RefreshTaskList() {
    LastTaskIndex = FillTaskTable();
    HWND list = Control(TaskList);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SetControlText(TaskFrame, "Active Tasks [ " + Decimal(LastTaskIndex + 1) + " ]");
    for (int32_t i = 0; i <= LastTaskIndex; ++i)
        AddListRow(list, TaskCells(TaskTable[i]));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    AddLogLine("Initialized tasks: " + Decimal(LastTaskIndex + 1));
}
