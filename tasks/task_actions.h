// The actions of the task page's buttons.
#pragma once

void RefreshTaskList();
int TerminateCheckedTasks();
void DetectUnnecessaryTasks();
void ClearTaskChecks();
void ShowTaskModules();
