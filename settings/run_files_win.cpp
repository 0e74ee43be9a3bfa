#include "settings/run_files.h"

#include <windows.h>

#include <cstdint>

#include "base/handle_win.h"
#include "base/plain_file_win.h"
#include "base/whole_file_win.h"
#include "settings/program_paths.h"
#include "settings/session_log.h"
#include "settings/settings.h"

namespace {

// Whether this run's block can reach Morvane.log: the log opens for appending as at exit, or it
// is missing and new files can be made. A log that another program holds now is waited for, or
// its block kept beside it, at exit.
bool LogAppendable(bool newFiles) {
    HandleGuard log(OpenPlainFile(ProgramFilePath(L".log"), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (log.Valid()) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return newFiles;
    return HeldByAnother(error);
}

} // namespace

void ReportUnsavableFiles() {
    // What the end of the run will do: make a new temporary file and rename it over the
    // settings file, and append to the log, or create it.
    std::wstring probe;
    HandleGuard file(
        CreateTemporaryBeside(ProgramFilePath(L".ini"), probe, FILE_FLAG_DELETE_ON_CLOSE));
    const bool newFiles = file.Valid();
    file.Reset();
    if (!newFiles || !Replaceable(ProgramFilePath(L".ini"))) AddLogLine(L"Can't save: Morvane.ini");
    if (g_Settings.EnableSaveInfo && !LogAppendable(newFiles))
        AddLogLine(L"Can't save: Morvane.log");
}

void SaveSettingsAndLog(const WindowCorner& corner) {
    // Each file is written on its own; running out of memory for one does not cost the other.
    bool settingsSaved = false;
    try {
        settingsSaved = SaveSettings(corner);
    } catch (...) {
    }
    try {
        if (!settingsSaved) AddLogLine(L"Can't save: Morvane.ini");
        if (!g_Settings.EnableSaveInfo || WriteSessionLog() || !settingsSaved) return;
        // Kept nowhere: the settings file tells the next start, counting the runs whose blocks,
        // with the report of earlier losses, went the same way.
        const int32_t before = LostLogBlocksBefore();
        g_Settings.LostLogBlocks = before + (before < INT32_MAX ? 1 : 0);
        SaveSettings(corner);
    } catch (...) {
    }
}
