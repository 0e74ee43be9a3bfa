// Start-up and the orderly end of the program.
#include "app/main_window.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "tasks/task_actions.h"
#include "tasks/task_rules.h"

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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_Instance = instance;
    DeclareDpiAwareness();
    InitCommonControls();
    BindSystemServices();
    SetAnsiUpperHalf(CodePageUpperHalf());
    g_SystemFolders = SystemFolders(ReadSystemFolders());
    SetProgramPaths();
    SetDefaultSettings();
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
