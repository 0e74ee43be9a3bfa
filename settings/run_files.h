// The run's two files together, Morvane.ini and Morvane.log: whether they can be saved, told at
// the start, and their saving at the end.
#pragma once
#include "settings/settings_file.h"

// At start-up, once the log list exists: the log list tells which of the files cannot be saved
// as the end of the run will save them. The settings file needs a new temporary file beside it
// and, when it exists, one that may be replaced (not read-only, not held against it); the log,
// when it is to be saved, needs to open for appending, or a new file. The probe file is gone
// when this returns.
void ReportUnsavableFiles();

// The end of the run's files, as Shutdown writes them: the settings first, so that when they
// cannot be written the block ends with "Can't save: Morvane.ini"; then the block (when
// EnableSaveInfo is on). A block kept nowhere is counted in the settings file for the next start.
void SaveSettingsAndLog(const WindowCorner& corner);
