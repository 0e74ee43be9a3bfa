// Where Tab and Shift+Tab move the focus: plain arithmetic kept apart from the Win32 code.
#pragma once
#include <vector>

// Index of the control that Tab (or Shift+Tab) moves the focus to, among controls in creation
// order of which only those marked eligible can take the focus; -1 when none can.
int NextTabStop(const std::vector<bool>& eligible, int current, bool backwards);
