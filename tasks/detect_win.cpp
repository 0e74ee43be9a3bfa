#include "base/format.h"
#include "ui/events.h"
#include "ui/list_view.h"
#include "ui/window.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "tasks/task_actions.h"
#include "tasks/task_rules.h"

void DetectUnnecessaryTasks() {
    const OwnTask own(OwnProgramName(), SameProcessName);
    HWND list = Control(TaskList);
    int count = 0;
    for (int32_t i = 0; i < TaskTable.Count(); ++i) {
        const TaskRecord& r = TaskTable[i];
        const bool checked = IsUnnecessaryTask(r.FileName(), r.Name, own.Is(r),
                                               g_Settings.EnableDetectOwnTask, g_SystemFolders);
        SetRowState(list, i, checked, false);
        if (checked) ++count;
    }
    AddLogLine(L"Detected unnecessary tasks: " + Decimal(count));
}

void ClearTaskChecks() {
    HWND list = Control(TaskList);
    int count = 0;
    for (int32_t i = 0; i < TaskTable.Count(); ++i) {
        if (RowChecked(list, i) || RowSelected(list, i)) {
            ++count;
            SetRowState(list, i, false, false);
        }
    }
    AddLogLine(L"Unchecked tasks: " + Decimal(count));
}
