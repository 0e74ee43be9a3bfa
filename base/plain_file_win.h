// Files written with the rights of whoever runs the program, in a folder that others may be able
// to write: never through a link or mount point planted there, never into a file that has a
// second name elsewhere, and temporary names nobody can guess ahead.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// The system calls these files go through. Tests put stand-ins in their place to model what Wine
// cannot make (symbolic links, mount points) or to know the next random names.
struct FileCalls {
    HANDLE(WINAPI* createFile)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    BOOL(WINAPI* fileInformation)(HANDLE, LPBY_HANDLE_FILE_INFORMATION);
    // Fills the buffer from the system's random source; false when there is none.
    bool (*randomBytes)(void* buffer, size_t size);
    // Marks a file opened with DELETE access to go when its last handle closes (`gone`), or to
    // stay after all; false when the system refuses.
    bool (*markForDeletion)(HANDLE file, bool gone);
};
extern FileCalls g_FileCalls;

// Sixteen hex digits from the system's random source; empty when there is none.
std::wstring RandomNamePart();
// A file with no reparse point (link, mount point), no folder, and this one name.
bool IsPlainFile(HANDLE file);
// Opens or creates a file without following a reparse point at its name, and keeps the handle
// only for a plain file (ERROR_ACCESS_DENIED otherwise; a file this call created is deleted
// again). CREATE_NEW thus fails on any existing name, links included. The handle may always
// read the attributes.
HANDLE OpenPlainFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                     DWORD flags = 0);
