// Where the program keeps its files: beside its executable, whatever that is called.
#pragma once
#include <string>

// Fills ProgramFolder and SettingsBasePath from the running exe's full path.
void SetProgramPaths();
// The program's file with this extension (".ini", ".log") beside its executable:
// SettingsBasePath followed by the extension, as the file calls take it. Every file the program
// keeps beside itself is named here, so that all of them follow the program into any folder.
std::wstring ProgramFilePath(const std::wstring& extension);
