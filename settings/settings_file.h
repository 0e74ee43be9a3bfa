// Morvane.ini: read at start-up over the defaults, rewritten at every orderly end.
#pragma once
#include <windows.h>

#include <string>

#include "settings/settings.h"

// Fills ProgramFolder and SettingsBasePath from the running exe's full path.
void SetProgramPaths();
// The defaults of a fresh run, for the program's folder.
void SetDefaultSettings();
// Moves CurrentDir to a folder; the file keeps it too when the code page can hold it, and else
// the last folder it could.
void SetCurrentDir(Settings& s, const std::wstring& folder);

// Reads the settings file over g_Settings; may move the (still hidden) window to the saved
// place. The window is the main window: its position is the only part of it that is kept.
void LoadSettings(HWND window);
// Writes the settings file with the window's current position (0, 0 without a window).
void SaveSettings(HWND window);

// At start-up, once the log list exists: when no new file can be made beside the executable,
// the log list tells that the settings (and the log, when it is to be saved) will be lost. The
// probe file is gone when this returns.
void ReportUnsavableFiles();

// The program's file with this extension (".ini", ".log") beside its executable:
// SettingsBasePath followed by the extension, as the file calls take it. Every file the program
// keeps beside itself is named here, so that all of them follow the program into any folder.
std::wstring ProgramFilePath(const std::wstring& extension);

// The path as the wide file calls take it: made full by the system (a relative start, "." and
// "..", "/" resolved), then in its long-path form where it needs one. Device paths stay as they
// are. Paths below go through it.
std::wstring FileCallPath(const std::wstring& path);
// Reads a whole file, sharing read access. False when it cannot be opened or read.
bool ReadWholeFile(const std::wstring& path, std::string& text);
// Reads an open file from its current position to the end.
bool ReadFileContent(HANDLE file, std::string& text);
// Replaces the file with content through a new temporary file beside it, so that the old file
// stays whole unless the new one was written completely. The temporary name has a random part
// and is never opened through a link. False (old file untouched) on any failure.
bool ReplaceFileContent(const std::wstring& path, const std::string& content);
