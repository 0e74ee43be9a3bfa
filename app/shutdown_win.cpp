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

void Shutdown() {
    ReleaseExportLibrary();
    if (g_Settings.EnableSaveInfo) WriteSessionLog();
    SaveSettings();
    Sleep(50);
    EndProgram();
}
