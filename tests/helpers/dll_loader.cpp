// A process with known DLLs in its module list: "dll_loader.exe A.dll B.dll ..." loads each
// library named (comdlg32.dll, shell32.dll and version.dll when none is named), then waits
// until it is terminated. "--folder DIR" loads every *.dll found in DIR instead and then
// writes the number loaded to DIR\loaded.txt, so a test knows when it is done.
#include <windows.h>
#include "started.h"

#include <cstring>
#include <string>

static void LoadFolder(const std::string& folder) {
    int loaded = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.dll").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (LoadLibraryExA((folder + "\\" + found.cFileName).c_str(), nullptr,
                               DONT_RESOLVE_DLL_REFERENCES) != nullptr)
                ++loaded;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    // Written under another name and renamed, so a reader never sees it half written.
    const std::string text = std::to_string(loaded);
    const std::string temp = folder + "\\loaded.tmp";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileA(temp.c_str(), (folder + "\\loaded.txt").c_str());
}

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--folder") == 0) {
        LoadFolder(argv[2]);
    } else if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            LoadLibraryA(argv[i]);
    } else {
        LoadLibraryA("comdlg32.dll");
        LoadLibraryA("shell32.dll");
        LoadLibraryA("version.dll");
    }
    SignalReady();
    Sleep(INFINITE);
    return 0;
}
