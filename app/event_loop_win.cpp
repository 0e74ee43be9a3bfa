// The task page's own loop: the dispatch of its buttons to the task actions and the Setup page.
#include "app/main_window.h"
#include "app/setup_panel.h"
#include "tasks/task_actions.h"
#include "ui/events.h"

namespace {

// The action of a TaskPage button. An event carries one control's ID, so the order of the cases
// makes no difference.
void Dispatch(int id) {
    switch (id) {
    case TerminateButton:
        TerminateCheckedTasks();
        break;
    case InfoButton:
        ShowTaskModules();
        break;
    case SetupButton:
        RunSetupPanel();
        break;
    case RefreshButton:
        RefreshTaskList();
        break;
    case DetectButton:
        DetectUnnecessaryTasks();
        break;
    case ClearButton:
        ClearTaskChecks();
        break;
    default:
        break; // the lists, the banner and the log start nothing
    }
}

} // namespace

void RunMainEventLoop() {
    for (;;) {
        Event event = WaitEvent(false);
        if (event.kind == EventKind::Close) Shutdown();
        try {
            Dispatch(event.id);
        } catch (...) {
            // An action that ran out of memory has done what it could; the program goes on and
            // still keeps its log and settings at the end.
        }
    }
}
