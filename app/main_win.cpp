// Start-up and the orderly end of the program.
#include "app/main_window.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tasks/task_actions.h"
#include "tasks/task_rules.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_Instance = instance;
    InitCommonControls();
    BindSystemServices();
    g_SystemFolders = SystemFolders(ReadSystemFolders());
    SetProgramPaths();
    SetSettingsDefaults(g_Settings, ProgramFolder);
    BuildSessionHeader();
    if (!CreateMainWindow()) EndProgram();
    LoadSettings(g_MainWindow);
    BuildTaskPage();
    // Before anything of this run reaches the log list or the file: blocks of earlier runs that
    // waited for Morvane.log, then whether this run's files can be saved at all.
    AppendPendingLogBlocks();
    ReportUnsavableFiles();
    RefreshTaskList();
    ApplyLogVisibility();
    ShowWindow(g_MainWindow, SW_SHOWNORMAL);
    RunMainEventLoop();
    return 0;
}
