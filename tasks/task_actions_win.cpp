#include "tasks/task_actions.h"

// Placeholders until the task actions land.
void RefreshTaskList() {}
int TerminateCheckedTasks() { return 0; }
void DetectUnnecessaryTasks() {}
void ClearTaskChecks() {}
