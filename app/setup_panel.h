// The Setup page: preferences, tools and about.
#pragma once

#include "ui/control_ids.h"

#include <string>

// The About tab's text: its lines joined by line feeds.
std::wstring AboutLabelText();

// Shows the Setup page and runs its loop until Back (or the window is closed).
void RunSetupPanel();

// Shows the controls of the selected tab and hides the others; hides them all while the tab
// control itself is hidden. Called whenever the tab control's selection or visibility changes.
void ShowSelectedSetupTab() noexcept;
