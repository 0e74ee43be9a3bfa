#include "base/format.h"
#include "ui/events.h"
#include "ui/list_view.h"
#include "ui/window.h"
#include "proc/frozen_threads_win.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "tasks/task_actions.h"
#include "tasks/task_rules.h"

namespace {

// After freezing: time for the suspended threads to come to a stop before the process is ended.
const DWORD kFreezeSettleMs = 50;
// After each confirmed row: time for the ended processes to go and give back their memory before
// the next question and the refresh.
const DWORD kAfterTerminateMs = 250;

int AskForRow(const TaskRecord& r, int previousAnswer) {
    switch (g_Settings.AskTerminate) {
    case AskNever:
        return IDYES;
    case AskCriticalOnly:
        if (!IsCriticalTask(r.FileName(), r.Pid, g_SystemFolders)) return IDYES;
        return MessageBoxW(g_MainWindow,
                           (L"Critical process detected!\n\nName: " + r.Name + L"\n\nFile: " +
                            r.FileName() + L"\n\nReally kill process structure?")
                               .c_str(),
                           L"Terminate Critical Process", MB_YESNOCANCEL);
    case AskEveryTime:
        return MessageBoxW(g_MainWindow, (r.Name + L"\n\nKill process structure?").c_str(),
                           L"Terminate Process", MB_YESNOCANCEL);
    default:
        // A value the Setup page never stores asks nothing and confirms nothing.
        return previousAnswer;
    }
}

} // namespace

int TerminateCheckedTasks() {
    HWND list = Control(TaskList);
    const std::wstring ownName = OwnExeName();
    const DWORD ownPid = GetCurrentProcessId();
    int answer = 0;
    bool terminated = false;
    bool endOwnProgram = false;
    int64_t sum = 0;

    for (int32_t i = 0; i < TaskTable.Count(); ++i) {
        if (!RowChecked(list, i)) continue;
        const TaskRecord r = TaskTable[i];
        answer = AskForRow(r, answer);
        if (answer == IDCANCEL) break;
        if (answer != IDYES) continue;
        terminated = true;
        if (g_Settings.EnableTaskTerminate) {
            // Freeze and termination each confirm the name on the handle they act through.
            const ProcessId pid = static_cast<ProcessId>(r.Pid);
            FrozenThreads frozen;
            // Freezing our own threads would hang the program for good.
            if (g_Settings.EnableTaskFreeze && pid != ownPid) {
                FreezeProcess(pid, r.SystemName, &frozen);
                PauseAnswering(kFreezeSettleMs);
            }
            std::vector<ProcessId> ended;
            TerminateByName(r.SystemName, 0, &ended);
            // A frozen process that did not end runs on: nothing is left frozen by us.
            frozen.Resume();
            // The program's own task ends too, through the orderly shutdown below.
            const bool ownTask = SameProcessName(r.SystemName, ownName);
            if (ownTask) endOwnProgram = true;
            if (!ended.empty() || ownTask) {
                AddLogLine(L"Terminated: " + r.Name);
                sum += r.MemorySize();
            } else {
                AddLogLine(L"Not terminated: " + r.Name);
            }
        } else {
            // Switched off, the walk reports what it would have done.
            AddLogLine(L"Terminated: " + r.Name);
            sum += r.MemorySize();
        }
        PauseAnswering(kAfterTerminateMs);
    }

    if (terminated) {
        AddLogLine(L"Restored memory: " + Decimal(sum / 1024) + L" KB");
        RefreshTaskList();
    }
    // The other processes of our name have ended; this one leaves in order, keeping its log
    // and settings.
    if (endOwnProgram) EndOfRun();
    return terminated ? 1 : 0;
}
