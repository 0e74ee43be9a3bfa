#include "base/format.h"
#include "ui/accessible_name.h"
#include "ui/events.h"
#include "ui/list_view.h"
#include "ui/page.h"
#include "ui/window.h"
#include "exports/export_viewer.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "tasks/task_actions.h"
#include "tasks/task_info.h"
#include "tasks/task_table.h"

#include <cstdint>

namespace {

// Rows added between two looks at the window's messages while a long module list fills: the
// window keeps painting and answering other programs, and the user's clicks wait for the page's
// loop, which handles them once the list is complete.
const int kRowsBetweenMessages = 64;

// Where the task list lies, 2 pixels shorter.
HWND CreateModuleList() {
    const Box tasks = LayoutBox(TaskList);
    HWND list = CreateListView(ModuleList, {tasks.x, tasks.y, tasks.width, tasks.height - 2}, 0,
                               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    AddListColumns(list, kModuleColumns);
    SetAccessibleName(list, L"DLLs of the task");
    return list;
}

// The export page of the DLL selected on the page, named and found as its module record says.
// The program file, modules[0], has no row: row k shows modules[k + 1].
void ShowSelectedExports(HWND list, const std::vector<ModuleInfo>& modules, int listed) {
    const int row = SelectedRow(list);
    if (row < 0 || row >= listed) {
        AddLogLine(L"Please select a dll first...");
        return;
    }
    const ModuleInfo& dll = modules[static_cast<size_t>(row) + 1];
    ShowExports(dll.name, dll.path, ModuleList);
}

} // namespace

void ShowTaskModules() {
    const int selected = SelectedRow(Control(TaskList));
    if (selected < 0) {
        AddLogLine(L"Please select a task first...");
        return;
    }
    // A task without a process id (the idle row, a row the last refresh did not record, or a
    // name no process bears any more) has no modules to read.
    const TaskRecord task = TaskTable[selected];
    if (task.Pid == 0) {
        AddLogLine(L"No info available...");
        return;
    }
    // One reading of the module list, of the row's own program only: an id that has passed to
    // another program since the refresh shows an empty page rather than that program's DLLs.
    bool otherProgram = false;
    const std::vector<ModuleInfo> modules =
        ExamineModules(static_cast<ProcessId>(task.Pid), task.SystemName, &otherProgram);
    // The program file itself, the first module, is not listed.
    const int listed = otherProgram ? 0 : static_cast<int>(modules.size()) - 1;
    if (listed <= 0 && !otherProgram) {
        AddLogLine(L"No info available...");
        return;
    }

    PageVisit page(TaskList, ModuleList, {TerminateButton});
    HWND list = Control(ModuleList);
    if (!list)
        list = CreateModuleList();
    else
        ShowWindow(list, SW_SHOW);
    page.Disable({SetupButton, RefreshButton, DetectButton, ClearButton});
    SetControlText(TaskFrame, task.Name + L" [ " + Decimal(listed) + L" ]");
    SetControlText(TerminateButton, L"Back");
    AddLogLine(L"Traced dll's of " + task.Name + L": " + Decimal(listed));

    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int k = 1; k <= listed; ++k) {
        AddListRow(list, RowCells(kModuleColumns, modules[static_cast<size_t>(k)], k));
        if (k % kRowsBetweenMessages == 0) PauseAnswering(0);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);

    for (;;) {
        const Event event = WaitEvent(true);
        if (event.kind == EventKind::Close) EndOfRun();
        if (event.id == TerminateButton) break;
        if (event.id == InfoButton) ShowSelectedExports(list, modules, listed);
    }
}
