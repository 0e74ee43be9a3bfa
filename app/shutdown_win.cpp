// The one orderly way out of the program.
#include "app/main_window.h"
#include "exports/export_viewer.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "settings/run_files.h"

namespace {

// Between writing the files and releasing everything: time for the window to answer what closing
// it sent, and for other programs waiting on the files just written to get them.
const DWORD kShutdownPauseMs = 50;

} // namespace

void EndProgram() {
    ReleaseSystemServices();
    if (g_MainWindow) DestroyWindow(g_MainWindow);
    ReleaseDrawings();
    ExitProcess(0);
}

void SaveSession() {
    static bool saved = false;
    if (saved) return;
    // Set first: the log writer answers messages while it waits for a busy file, and the end
    // of the Windows session may arrive among them.
    saved = true;
    SaveSettingsAndLog(CornerToKeep(g_MainWindow));
}

void Shutdown() {
    ReleaseExportLibrary();
    SaveSession();
    PauseAnswering(kShutdownPauseMs);
    EndProgram();
}
