// Started by the Setup page's tests: writes whether its token has the debug privilege switched
// on to "<own path>.priv" ("on" or "off"), then the folder it was started in to
// "<own path>.cwd" (each through a temporary file, so a reader never sees half of it) and exits.
#include <windows.h>

static bool WriteReport(const char* self, const char* suffix, const char* text, DWORD length) {
    char temporary[MAX_PATH + 8] = {};
    char report[MAX_PATH + 8] = {};
    lstrcpyA(temporary, self);
    lstrcatA(temporary, ".tmp");
    lstrcpyA(report, self);
    lstrcatA(report, suffix);
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text, length, &written, nullptr);
    CloseHandle(file);
    return MoveFileExA(temporary, report, MOVEFILE_REPLACE_EXISTING) != 0;
}

static bool DebugPrivilegeOn() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    LUID debug{};
    bool on = false;
    char buffer[4096];
    DWORD length = 0;
    if (LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &debug) &&
        GetTokenInformation(token, TokenPrivileges, buffer, sizeof buffer, &length)) {
        const TOKEN_PRIVILEGES* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
            if (p.Luid.LowPart == debug.LowPart && p.Luid.HighPart == debug.HighPart)
                on = (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    CloseHandle(token);
    return on;
}

int main() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH - 8);
    const char* state = DebugPrivilegeOn() ? "on" : "off";
    char folder[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    if (!WriteReport(self, ".priv", state, lstrlenA(state))) return 1;
    return WriteReport(self, ".cwd", folder, length) ? 0 : 1;
}
