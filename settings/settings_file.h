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
// Writes the settings file with the window's current position (0, 0 without a window). False
// when it could not be written.
bool SaveSettings(HWND window);

// The end of the run's files, as Shutdown writes them: the settings first, so that when they
// cannot be written the block ends with "Can't save: Morvane.ini"; then the block (when
// EnableSaveInfo is on). A block kept nowhere is counted in the settings file for the next start.
void SaveSettingsAndLog(HWND window);

// At start-up, once the log list exists: the log list tells which of the files cannot be saved
// as the end of the run will save them. The settings file needs a new temporary file beside it
// and, when it exists, one that may be replaced (not read-only, not held against it); the log,
// when it is to be saved, needs to open for appending, or a new file. The probe file is gone
// when this returns.
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
// and is never opened through a link. False (old file untouched) on any failure, and for a
// read-only file.
bool ReplaceFileContent(const std::wstring& path, const std::string& content);
