// Binding of the process services by name, the layer's two tables, and privileges.
#include "proc/process_api.h"

#include "proc/system_services_win.h"

namespace proc {

SystemServices g_Services;

bool GlobalBlock::Allocate(SIZE_T bytes) {
    Free();
    memory_ = GlobalAlloc(GMEM_FIXED, bytes);
    size_ = memory_ != nullptr ? bytes : 0;
    return memory_ != nullptr;
}

void GlobalBlock::Free() {
    if (memory_ != nullptr) GlobalFree(memory_);
    memory_ = nullptr;
    size_ = 0;
}

DWORD* ProcessIdSlots() {
    return static_cast<DWORD*>(g_Services.processIdTable.Data());
}
HMODULE* ModuleSlots() {
    return static_cast<HMODULE*>(g_Services.moduleTable.Data());
}

namespace {

// GetProcAddress gives an untyped address; going through void(*)() keeps the conversion to
// the real signature free of cast-type warnings on every compiler.
template <typename Fn> Fn Bind(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

} // namespace
} // namespace proc

using namespace proc;

void BindSystemServices() {
    BindSystemServicesFrom("psapi.dll", "kernel32.dll");
}

void BindSystemServicesFrom(const char* psapiName, const char* kernelName) {
    SystemServices& s = g_Services;
    if (s.psapi != nullptr || s.kernel32 != nullptr) return;

    s.psapi = LoadLibraryA(psapiName);
    if (s.psapi != nullptr) {
        s.enumProcesses = Bind<EnumProcessesFn>(s.psapi, "EnumProcesses");
        s.enumProcessModules = Bind<EnumProcessModulesFn>(s.psapi, "EnumProcessModules");
        s.getModuleBaseName = Bind<GetModuleBaseNameAFn>(s.psapi, "GetModuleBaseNameA");
        s.getModuleFileNameEx = Bind<GetModuleFileNameExAFn>(s.psapi, "GetModuleFileNameExA");
        s.getProcessMemoryInfo = Bind<GetProcessMemoryInfoFn>(s.psapi, "GetProcessMemoryInfo");
        s.processIdTable.Allocate(kProcessIdTableBytes);
        s.moduleTable.Allocate(kModuleTableBytes);
    }

    s.kernel32 = LoadLibraryA(kernelName);
    if (s.kernel32 != nullptr) {
        s.createSnapshot = Bind<CreateToolhelp32SnapshotFn>(s.kernel32, "CreateToolhelp32Snapshot");
        s.thread32First = Bind<Thread32FirstFn>(s.kernel32, "Thread32First");
        s.thread32Next = Bind<Thread32NextFn>(s.kernel32, "Thread32Next");
        s.openThread = Bind<OpenThreadFn>(s.kernel32, "OpenThread");
    }
    s.processCursor.Reset(0);
    s.moduleCursor.Reset(0);
}

void ReleaseSystemServices() {
    SystemServices& s = g_Services;
    s.processIdTable.Free();
    s.moduleTable.Free();
    if (s.psapi != nullptr) FreeLibrary(s.psapi);
    // The kernel library stays loaded; forgetting the addresses keeps any late call from going
    // into an unloaded psapi.
    s.psapi = nullptr;
    s.enumProcesses = nullptr;
    s.enumProcessModules = nullptr;
    s.getModuleBaseName = nullptr;
    s.getModuleFileNameEx = nullptr;
    s.getProcessMemoryInfo = nullptr;
    s.kernel32 = nullptr;
    s.createSnapshot = nullptr;
    s.thread32First = nullptr;
    s.thread32Next = nullptr;
    s.openThread = nullptr;
    s.processCursor.Reset(0);
    s.moduleCursor.Reset(0);
}

void EnablePrivilege(const char* name) {
    if (name == nullptr) return;
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken))
        return;
    HandleGuard token(rawToken);

    LUID luid{};
    if (!LookupPrivilegeValueA("", name, &luid)) return;

    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Luid = luid;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD returned = 0;
    AdjustTokenPrivileges(token.Get(), FALSE, &wanted, sizeof(wanted), &previous, &returned);
}
