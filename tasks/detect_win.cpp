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

// The program's own task by the name Detect gives it: its file name up to the first dot, then
// ".exe". A row is told by the system's own name where it has one, so that a name outside the
// code page is neither missed nor taken for another that reads the same in ANSI; else by its
// ANSI name.
class OwnTask {
  public:
    OwnTask()
        : name_(ProgramNameFromPath(OwnProgramPath()) + L".exe"),
          ansiUpper_(UpperAnsi(OwnProgramName() + ".exe")) {}
    bool Is(const TaskRecord& r) const {
        return r.SystemName.empty() ? UpperAnsi(r.Name) == ansiUpper_
                                    : SameProcessName(r.SystemName, name_);
    }

  private:
    std::wstring name_;
    std::string ansiUpper_;
};

} // namespace

void DetectUnnecessaryTasks() {
    const OwnTask own;
    HWND list = Control(TaskList);
    int count = 0;
    for (int32_t i = 0; i < TaskTable.Count(); ++i) {
        const TaskRecord& r = TaskTable[i];
        // The own-task exception is made here, by the name above.
        const bool checked =
            IsUnnecessaryTask(r.FileName, r.Name, std::string(), 0, g_SystemFolders) &&
            !(g_Settings.EnableDetectOwnTask == 1 && own.Is(r));
        SetRowState(list, i, checked, false);
        if (checked) ++count;
    }
    AddLogLine("Detected unnecessary tasks: " + Decimal(count));
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
    AddLogLine("Unchecked tasks: " + Decimal(count));
}
