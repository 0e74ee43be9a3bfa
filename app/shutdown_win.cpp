// The one orderly way out of the program.
#include "app/main_window.h"
#include "exports/export_viewer.h"
#include "proc/process_api.h"
#include "settings/session_log.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

extern HBITMAP g_BannerBitmap;

[[noreturn]] void EndProgram();

void EndProgram() {
    ReleaseSystemServices();
    if (g_MainWindow) DestroyWindow(g_MainWindow);
    if (g_BannerBitmap) DeleteObject(g_BannerBitmap);
    if (g_SmallFont) DeleteObject(g_SmallFont);
    if (g_TitleFont) DeleteObject(g_TitleFont);
    ExitProcess(0);
}

void SaveSession() {
    static bool saved = false;
    if (saved) return;
    // Set first: the log writer answers messages while it waits for a busy file, and the end
    // of the Windows session may arrive among them.
    saved = true;
    // Each file is written on its own; running out of memory for one does not cost the other.
    try {
        if (g_Settings.EnableSaveInfo) WriteSessionLog();
    } catch (...) {
    }
    try {
        SaveSettings();
    } catch (...) {
    }
}

void Shutdown() {
    ReleaseExportLibrary();
    SaveSession();
    PauseAnswering(50);
    EndProgram();
}
