// The log list of the main window and the session block appended to Morvane.log at exit.
#pragma once
#include <string>

// Builds the header line of this run's block; called once at start-up.
void BuildSessionHeader();
// Appends one line, with the prefix chosen by LogInfoStyle, and selects it.
void AddLogLine(const std::string& message);
// Appends this run's block to Morvane.log (called by Shutdown when EnableSaveInfo is on).
void WriteSessionLog();
