// The log list at the bottom of the main window, which start-up hands to the session log.
#pragma once
#include <string>
#include <vector>

// Appends a line and selects it, so that the list scrolls to it; the new line's index, or -1
// when the list refused it (or does not exist yet).
int AppendLogListLine(const std::wstring& line);
// The list's lines, first to last, exactly as shown.
std::vector<std::wstring> LogListLines();
