#include "app/format.h"
#include "app/main_window.h"
#include "proc/name_fold.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "tasks/task_actions.h"
#include "tasks/task_list.h"
#include "tasks/task_rules.h"

namespace {

// The file name of the running program as a task row would show it ("Morvane.exe").
std::string OwnExeFileName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    return FilePart(path);
}

int AskForRow(const TaskRecord& r, int previousAnswer) {
    switch (g_Settings.AskTerminate) {
    case 4:
        return IDYES;
    case 2:
        if (!IsCriticalTask(r.FileName, r.Pid)) return IDYES;
        return MessageBoxA(g_MainWindow,
                           ("Critical process detected!\n\nName: " + r.Name +
                            "\n\nFile: " + r.FileName + "\n\nReally kill process structure?")
                               .c_str(),
                           "Terminate Critical Process", MB_YESNOCANCEL);
    case 1:
        return MessageBoxA(g_MainWindow, (r.Name + "\n\nKill process structure?").c_str(),
                           "Terminate Process", MB_YESNOCANCEL);
    default:
        // A value the Setup page never stores asks nothing and confirms nothing.
        return previousAnswer;
    }
}

} // namespace

int TerminateCheckedTasks() {
    HWND list = Control(TaskList);
    const std::string ownName = FoldName(OwnExeFileName());
    const DWORD ownPid = GetCurrentProcessId();
    int answer = 0;
    bool terminated = false;
    bool endOwnProgram = false;
    int64_t sum = 0;

    for (int32_t i = 0; i <= LastTaskIndex; ++i) {
        if (!RowChecked(list, i)) continue;
        const TaskRecord r = TaskTable[i];
        answer = AskForRow(r, answer);
        if (answer == IDCANCEL) break;
        if (answer != IDYES) continue;
        terminated = true;
        AddLogLine("Terminated: " + r.Name);
        sum += r.MemorySize;
        if (g_Settings.EnableTaskTerminate) {
            // Freezing our own threads would hang the program for good.
            if (g_Settings.EnableTaskFreeze && static_cast<DWORD>(r.Pid) != ownPid) {
                FreezeProcess(static_cast<ProcessId>(r.Pid));
                PauseAnswering(50);
            }
            TerminateByName(r.Name, 0);
            if (!r.Name.empty() && FoldName(r.Name) == ownName) endOwnProgram = true;
        }
        PauseAnswering(250);
    }

    if (terminated) {
        AddLogLine("Restored memory: " + Decimal(sum / 1024) + " KB");
        RefreshTaskList();
    }
    // The other processes of our name have ended; this one leaves in order, keeping its log
    // and settings.
    if (endOwnProgram) Shutdown();
    return terminated ? 1 : 0;
}
