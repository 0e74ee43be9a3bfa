// A real main window with its task page, built once in the test process, and its log lines.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Creates the main window (hidden controls and all) the first time it is called.
void EnsureMainWindow();
// The thread that owns the main window (the test's main thread).
DWORD MainThreadId();

// The window's texts in UTF-8, so that tests compare them with plain literals.
std::string TextOf(int id);
int LogLineCount();
std::vector<std::string> LogLinesFrom(int first);
std::string LastLogLine();
