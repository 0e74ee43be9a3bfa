// Morvane.ini: read at start-up over the defaults, rewritten at every orderly end.
#pragma once
#include <string>

// Reads the settings file; may move the (still hidden) main window to the saved place.
void LoadSettings();
// Writes the settings file with the main window's current position.
void SaveSettings();

// The program's file with this extension (".ini", ".log") beside its executable:
// SettingsBasePath followed by the extension, in its long-path form where it needs one. Every
// file the program keeps beside itself is named here, so that all of them follow the program
// into any folder.
std::wstring ProgramFilePath(const std::wstring& extension);

// The ANSI text of a wide path, as the dialogs and the files' contents show it.
std::string AnsiText(const std::wstring& text);

// Paths below are opened through the wide calls, each in its long-path form where it needs one.
// Reads a whole file, sharing read access. False when it cannot be opened or read.
bool ReadWholeFile(const std::wstring& path, std::string& text);
// Replaces the file with content through a temporary file beside it, named after this process,
// so that the old file stays whole unless the new one was written completely. Leftover temporary
// files do not stand in the way. False (old file untouched) on any failure. The narrow form
// takes an ANSI path.
bool ReplaceFileContent(const std::wstring& path, const std::string& content);
bool ReplaceFileContent(const std::string& path, const std::string& content);
