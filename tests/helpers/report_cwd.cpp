// Started by the Setup page's tests: writes the folder it was started in to "<own path>.cwd"
// (through a temporary file, so a reader never sees half of it) and exits.
#include <windows.h>

int main() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH - 8);
    char folder[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    char temporary[MAX_PATH + 8] = {};
    char report[MAX_PATH + 8] = {};
    lstrcpyA(temporary, self);
    lstrcatA(temporary, ".tmp");
    lstrcpyA(report, self);
    lstrcatA(report, ".cwd");
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, folder, length, &written, nullptr);
    CloseHandle(file);
    return MoveFileExA(temporary, report, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
