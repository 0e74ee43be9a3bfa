#include "app/main_window.h"

HINSTANCE g_Instance;
HWND g_MainWindow;
HFONT g_SmallFont;
HFONT g_TitleFont;
const char* const ProgramVersion = "v1.02.41";
std::string ProgramFolder;
std::string SettingsBasePath;

HWND Control(int id) { return GetDlgItem(g_MainWindow, id); }
