// Morvane.ini: read at start-up over the defaults, rewritten at every orderly end.
#pragma once
#include <string>

// Reads the settings file; may move the (still hidden) main window to the saved place.
void LoadSettings();
// Writes the settings file with the main window's current position.
void SaveSettings();

// The running program's full file name, however long the path is.
std::string ProgramModuleFileName();

// Reads a whole file, sharing read access. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& text);
// Replaces the file with content through a temporary file beside it, named after this process,
// so that the old file stays whole unless the new one was written completely. Leftover temporary
// files do not stand in the way. False (old file untouched) on any failure.
bool ReplaceFileContent(const std::string& path, const std::string& content);
