// Lists the named exports of a DLL in place of the calling page's list and saves them.
#pragma once
#include <cstddef>
#include <string>

// An empty file name takes the DLL selected on the module page.
void ShowExports(const std::wstring& fileName);
// Releases a library still held by the viewer (the window was closed on the export page).
void ReleaseExportLibrary();
// The text of one cell of the export page, for the list, which keeps no rows of its own. Cut to
// size (with its terminating zero), never within a character; empty for a cell that does not
// exist. A function's name is its bytes as the ANSI code page reads them.
void ExportCellText(int row, int column, wchar_t* buffer, size_t size);
