// The Setup page: preferences, tools and about.
#pragma once

// Shows the Setup page and runs its loop until Back (or the window is closed).
void RunSetupPanel();
