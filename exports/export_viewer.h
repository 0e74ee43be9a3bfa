// Lists the named exports of a DLL in place of the calling page's list and saves them.
#pragma once
#include <cstddef>
#include <string>

// An empty file name takes the DLL selected on the module page.
void ShowExports(const std::wstring& fileName);
// Releases a library still held by the viewer (the window was closed on the export page).
void ReleaseExportLibrary();
