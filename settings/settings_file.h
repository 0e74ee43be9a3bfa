// Morvane.ini: read at start-up over the defaults, rewritten at every orderly end.
#pragma once
#include <cstdint>
#include <string>

#include "settings/settings.h"

// The main window's outer top-left corner, which the file keeps.
struct WindowCorner {
    int32_t x, y;
};

// The defaults of a fresh run, for the program's folder.
void SetDefaultSettings();
// Moves CurrentDir to a folder; the file keeps it too when the code page can hold it, and else
// the last folder it could.
void SetCurrentDir(Settings& s, const std::wstring& folder);

// Reads the settings file over g_Settings; `corner` gets the window's corner where the file keeps
// one and stays as it came otherwise. False when there was no file to read.
bool LoadSettings(WindowCorner& corner);
// Writes the settings file with the window's corner. False when it could not be written.
bool SaveSettings(const WindowCorner& corner);
