#include "base/format.h"
#include "ui/events.h"
#include "ui/window.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "tasks/task_actions.h"
#include "tasks/task_list.h"
#include "tasks/task_rules.h"

namespace {

// The program's own task by the name Detect gives it: its file name up to the first dot, then
// ".exe". A row is told by the system's own name where it has one, else by the name it shows.
class OwnTask {
  public:
    OwnTask() : name_(OwnProgramName() + L".exe"), upper_(UpperAnsi(name_)) {}
    bool Is(const TaskRecord& r) const {
        return r.SystemName.empty() ? UpperAnsi(r.Name) == upper_
                                    : SameProcessName(r.SystemName, name_);
    }

  private:
    std::wstring name_;
    std::wstring upper_;
};

} // namespace

void DetectUnnecessaryTasks() {
    const OwnTask own;
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
