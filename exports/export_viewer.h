// Lists the named exports of a DLL in place of the calling page's list and saves them.
#pragma once
#include <cstddef>
#include <string>

// The exports of the DLL at `path`, shown as `libraryName`, in place of the calling page's list
// `host`, until Back. The Info button, enabled, is the page's Export.
void ShowExports(const std::wstring& libraryName, const std::wstring& path, int host);
// Releases a library still held by the viewer (the window was closed on the export page).
void ReleaseExportLibrary();
