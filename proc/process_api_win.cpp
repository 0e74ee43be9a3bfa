// Binding of the process services by name, the process list, names, and privileges.
#include "proc/process_api.h"

#include "proc/system_services_win.h"

#include "base/bound_entry_win.h"
#include "base/wide_text.h"

namespace proc {

SystemServices g_Services;

namespace {

// The folder a Get...DirectoryW function writes. Such a function returns the folder's length, the
// size it needs when the buffer is too small, or 0 when there is no such folder.
template <typename Fn> std::wstring FolderFrom(Fn read) {
    std::wstring folder(MAX_PATH, L'\0');
    UINT length = read(&folder[0], MAX_PATH);
    if (length >= MAX_PATH) {
        folder.assign(length, L'\0');
        const UINT needed = length;
        length = read(&folder[0], needed);
        if (length >= needed) length = 0;
    }
    folder.resize(length);
    return folder;
}

// A library of the system, from the system folder only: run as administrator from a folder that
// others can write, Morvane must not load a DLL of that name planted beside it.
HMODULE LoadSystemLibrary(const char* name) {
    const std::wstring folder = FolderFrom(GetSystemDirectoryW);
    if (folder.empty() || name == nullptr) return nullptr;
    return g_Services.loadLibrary((folder + L"\\" + AsciiWide(name)).c_str());
}

// Every process id the system lists, in its order; empty when the system refuses.
std::vector<DWORD> ReadProcessIds() {
    std::vector<DWORD> ids;
    for (DWORD slots = kFirstProcessIdSlots;; slots *= 2) {
        ids.resize(slots);
        const DWORD offered = slots * sizeof(DWORD);
        DWORD bytes = 0;
        if (!g_Services.enumProcesses(ids.data(), offered, &bytes)) return std::vector<DWORD>();
        // A full buffer may have cut the list short: read again into a larger one.
        if (bytes < offered || slots >= kMaxProcessIdSlots) {
            ids.resize(std::min(bytes, offered) / sizeof(DWORD));
            return ids;
        }
    }
}

} // namespace

std::vector<ListedProcess> ListProcesses() {
    std::vector<ListedProcess> listed;
    const SystemServices& s = g_Services;
    if (s.enumProcesses == nullptr) return listed;
    if (s.createSnapshot != nullptr && s.process32First != nullptr && s.process32Next != nullptr) {
        HandleGuard snapshot(s.createSnapshot(TH32CS_SNAPPROCESS, 0));
        if (snapshot.Valid()) {
            PROCESSENTRY32W entry{};
            entry.dwSize = sizeof(entry);
            for (BOOL more = s.process32First(snapshot.Get(), &entry); more;
                 more = s.process32Next(snapshot.Get(), &entry)) {
                entry.szExeFile[MAX_PATH - 1] = L'\0';
                listed.push_back({entry.th32ProcessID, entry.szExeFile});
            }
            return listed;
        }
    }
    for (DWORD id : ReadProcessIds())
        listed.push_back({id, std::wstring()});
    return listed;
}

std::wstring ImageNameOf(HANDLE process) {
    const SystemServices& s = g_Services;
    // The longest path the system knows; the image path is rarely anywhere near it.
    std::wstring path(0x8000, L'\0');
    const DWORD room = static_cast<DWORD>(path.size());
    DWORD chars = room;
    if (s.queryFullProcessImageName != nullptr &&
        s.queryFullProcessImageName(process, 0, &path[0], &chars)) {
        path.resize(chars);
    } else if (s.getProcessImageFileName != nullptr) {
        path.resize(s.getProcessImageFileName(process, &path[0], room));
    } else {
        path.clear();
    }
    return path.substr(path.rfind(L'\\') + 1);
}

std::wstring SystemNameOf(DWORD id, const std::wstring& listed) {
    if (id == 0) return std::wstring();
    if (!listed.empty()) return listed;
    ProcessHandle process(id, kReadAccess);
    if (!process.Valid()) return std::wstring();
    return ModuleText(g_Services.getModuleBaseName, process.Get(), nullptr, kProcessNameChars);
}

HANDLE OpenConfirmed(ProcessId id, DWORD access, const std::wstring& name) {
    HandleGuard process(OpenProcess(access | kLimitedQueryAccess, FALSE, id));
    if (!process.Valid()) process.Reset(OpenProcess(access | PROCESS_QUERY_INFORMATION, FALSE, id));
    if (!process.Valid() || !SameProcessName(ImageNameOf(process.Get()), name)) return nullptr;
    return process.Release();
}

} // namespace proc

using namespace proc;

bool SameProcessName(const std::wstring& a, const std::wstring& b) {
    // Upper-casing keeps the number of UTF-16 units, so names of other lengths never match.
    if (a.empty() || a.size() != b.size()) return false;
    const int length = static_cast<int>(a.size());
    if (g_Services.compareStringOrdinal != nullptr)
        return g_Services.compareStringOrdinal(a.data(), length, b.data(), length, TRUE) ==
               CSTR_EQUAL;
    std::wstring upperA(a), upperB(b);
    CharUpperBuffW(&upperA[0], static_cast<DWORD>(length));
    CharUpperBuffW(&upperB[0], static_cast<DWORD>(length));
    return upperA == upperB;
}

void BindSystemServices() {
    BindSystemServicesFrom("psapi.dll", "kernel32.dll");
}

void BindSystemServicesFrom(const char* psapiName, const char* kernelName) {
    SystemServices& s = g_Services;
    if (s.psapi != nullptr || s.kernel32 != nullptr) return;

    s.psapi = LoadSystemLibrary(psapiName);
    if (s.psapi != nullptr) {
        s.enumProcesses = BoundEntry<EnumProcessesFn>(s.psapi, "EnumProcesses");
        s.enumProcessModules = BoundEntry<EnumProcessModulesFn>(s.psapi, "EnumProcessModules");
        s.enumProcessModulesEx =
            BoundEntry<EnumProcessModulesExFn>(s.psapi, "EnumProcessModulesEx");
        s.getModuleBaseName = BoundEntry<ModuleTextFn>(s.psapi, "GetModuleBaseNameW");
        s.getModuleFileNameEx = BoundEntry<ModuleTextFn>(s.psapi, "GetModuleFileNameExW");
        s.getProcessMemoryInfo =
            BoundEntry<GetProcessMemoryInfoFn>(s.psapi, "GetProcessMemoryInfo");
        s.getProcessImageFileName =
            BoundEntry<GetProcessImageFileNameWFn>(s.psapi, "GetProcessImageFileNameW");
    }

    s.kernel32 = LoadSystemLibrary(kernelName);
    if (s.kernel32 != nullptr) {
        s.createSnapshot =
            BoundEntry<CreateToolhelp32SnapshotFn>(s.kernel32, "CreateToolhelp32Snapshot");
        s.thread32First = BoundEntry<Thread32FirstFn>(s.kernel32, "Thread32First");
        s.thread32Next = BoundEntry<Thread32NextFn>(s.kernel32, "Thread32Next");
        s.openThread = BoundEntry<OpenThreadFn>(s.kernel32, "OpenThread");
        s.process32First = BoundEntry<Process32FirstWFn>(s.kernel32, "Process32FirstW");
        s.process32Next = BoundEntry<Process32NextWFn>(s.kernel32, "Process32NextW");
        s.module32First = BoundEntry<Module32FirstWFn>(s.kernel32, "Module32FirstW");
        s.module32Next = BoundEntry<Module32NextWFn>(s.kernel32, "Module32NextW");
        s.queryFullProcessImageName =
            BoundEntry<QueryFullProcessImageNameWFn>(s.kernel32, "QueryFullProcessImageNameW");
        s.compareStringOrdinal =
            BoundEntry<CompareStringOrdinalFn>(s.kernel32, "CompareStringOrdinal");
        s.getProcessIdOfThread =
            BoundEntry<GetProcessIdOfThreadFn>(s.kernel32, "GetProcessIdOfThread");
        if (const HMODULE ntdll = GetModuleHandleA("ntdll.dll"))
            s.ntQueryInformationThread =
                BoundEntry<NtQueryInformationThreadFn>(ntdll, "NtQueryInformationThread");
        s.getSystemWow64Directory =
            BoundEntry<GetSystemWow64DirectoryWFn>(s.kernel32, "GetSystemWow64DirectoryW");
        // The module listing belongs with psapi: without it there is none.
        if (s.psapi != nullptr && s.enumProcessModulesEx == nullptr)
            s.enumProcessModulesEx =
                BoundEntry<EnumProcessModulesExFn>(s.kernel32, "K32EnumProcessModulesEx");
    }
}

std::vector<std::wstring> ReadSystemFolders() {
    std::vector<std::wstring> folders;
    const std::wstring system = FolderFrom(GetSystemDirectoryW);
    if (!system.empty()) folders.push_back(system);
    if (g_Services.getSystemWow64Directory != nullptr) {
        const std::wstring wow64 = FolderFrom(g_Services.getSystemWow64Directory);
        if (!wow64.empty()) folders.push_back(wow64);
    }
    // The shared Windows folder: on a terminal server, GetWindowsDirectoryW gives a program not
    // marked as aware of it the user's private one.
    const std::wstring windows = FolderFrom(GetSystemWindowsDirectoryW);
    if (!windows.empty())
        folders.push_back(windows + (windows.back() == L'\\' ? L"" : L"\\") + L"SystemApps\\");
    return folders;
}

void ReleaseSystemServices() {
    SystemServices& s = g_Services;
    if (s.psapi != nullptr) FreeLibrary(s.psapi);
    // The kernel library stays loaded; forgetting every address keeps any late call from going
    // into an unloaded psapi.
    s = SystemServices();
}

int EnablePrivilege(const char* name, bool enable) {
    if (name == nullptr) return -1;
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken))
        return -1;
    HandleGuard token(rawToken);
    LUID luid{};
    if (!LookupPrivilegeValueA("", name, &luid)) return -1;

    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Luid = luid;
    wanted.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    TOKEN_PRIVILEGES previous{};
    DWORD returned = 0;
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &wanted, sizeof(wanted), &previous, &returned) ||
        GetLastError() == ERROR_NOT_ALL_ASSIGNED)
        return -1;
    // The previous state lists only what changed: nothing listed means it was already so.
    if (previous.PrivilegeCount == 0) return enable ? 1 : 0;
    return (previous.Privileges[0].Attributes & SE_PRIVILEGE_ENABLED) != 0 ? 1 : 0;
}
