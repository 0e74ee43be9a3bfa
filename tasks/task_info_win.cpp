#include "tasks/task_actions.h"

// Placeholder until the module page lands.
void ShowTaskModules() {}
