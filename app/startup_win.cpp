// Start-up: everything before the window is shown.
#include "app/main_window.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "settings/program_paths.h"
#include "settings/run_files.h"
#include "settings/settings_file.h"
#include "tasks/task_actions.h"
#include "tasks/task_rules.h"
#include "ui/log_list.h"

namespace {

// The characters of the code page's bytes 0xC0-0xFF, which the task tests upper-case.
std::wstring CodePageUpperHalf() {
    std::wstring half;
    for (int byte = 0xC0; byte <= 0xFF; ++byte) {
        const char b = static_cast<char>(byte);
        wchar_t c = 0;
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &b, 1, &c, 1) != 1) c = 0;
        half += c;
    }
    return half;
}

} // namespace

bool StartUp(HINSTANCE instance) {
    g_Instance = instance;
    DeclareDpiAwareness();
    InitCommonControls();
    BindSystemServices();
    SetAnsiUpperHalf(CodePageUpperHalf());
    g_SystemFolders = SystemFolders(ReadSystemFolders());
    SetProgramPaths();
    SetDefaultSettings();
    BuildSessionHeader();
    // Every loop ends the run the same orderly way when the window is closed.
    SetEndOfRun(Shutdown);
    if (!CreateMainWindow()) return false;
    LoadSettingsAndPlace(g_MainWindow);
    BuildTaskPage();
    SetLogSink({AppendLogListLine, LogListLines, PauseAnswering});
    // Before anything of this run reaches the log list or the file: blocks of earlier runs that
    // waited for Morvane.log, then whether this run's files can be saved at all.
    AppendPendingLogBlocks();
    ReportUnsavableFiles();
    RefreshTaskList();
    ApplyLogVisibility();
    return true;
}
