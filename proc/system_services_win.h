// State shared by the process layer's Win32 files: the entry points bound by name and the small
// owners that close handles on every path. Tests may replace a bound entry point (an enumeration
// that lists more processes than run, say) between binding and release, and the loader before
// binding.
#pragma once
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "base/handle_win.h"
#include "proc/process_api.h"

#if !defined(_WIN64)
// The 32-bit program hands these records to the system with fixed sizes.
static_assert(sizeof(PROCESS_MEMORY_COUNTERS) == 40, "32-bit memory counters record");
static_assert(sizeof(THREADENTRY32) == 28, "32-bit thread snapshot entry");
static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "one-entry token privileges record");
static_assert(sizeof(HMODULE) == 4, "32-bit module handles");
#endif
static_assert(sizeof(ModuleHandle) == sizeof(HMODULE), "module handles are pointer-sized");

namespace proc {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using EnumProcessModulesExFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*, DWORD);
// GetModuleBaseNameW and GetModuleFileNameExW.
using ModuleTextFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
using CreateToolhelp32SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using Thread32FirstFn = BOOL(WINAPI*)(HANDLE, THREADENTRY32*);
using Thread32NextFn = BOOL(WINAPI*)(HANDLE, THREADENTRY32*);
using OpenThreadFn = HANDLE(WINAPI*)(DWORD, BOOL, DWORD);
using Process32FirstWFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
using Process32NextWFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
using Module32FirstWFn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32W*);
using Module32NextWFn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32W*);
using QueryFullProcessImageNameWFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
using GetProcessImageFileNameWFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD);
using NtQueryInformationThreadFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
using CompareStringOrdinalFn = int(WINAPI*)(LPCWCH, int, LPCWCH, int, BOOL);
using GetProcessIdOfThreadFn = DWORD(WINAPI*)(HANDLE);
using GetSystemWow64DirectoryWFn = UINT(WINAPI*)(LPWSTR, UINT);
using LoadLibraryWFn = HMODULE(WINAPI*)(LPCWSTR);

// The id table starts at 256 ids and doubles while the system fills it to the brim.
constexpr DWORD kFirstProcessIdSlots = 256;
constexpr DWORD kMaxProcessIdSlots = 1u << 22;
constexpr DWORD kFirstModuleSlots = 1024;

constexpr DWORD kReadAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ; // 0x410
// All process rights as defined before Vista; later headers define a larger mask.
constexpr DWORD kFullAccess = 0x1F0FFF;
// Named here so that the build for older systems knows it; Vista and later grant it.
constexpr DWORD kLimitedQueryAccess = 0x1000;       // PROCESS_QUERY_LIMITED_INFORMATION
constexpr DWORD kLimitedThreadQueryAccess = 0x0800; // THREAD_QUERY_LIMITED_INFORMATION
constexpr DWORD kProcessNameChars = 255;
constexpr DWORD kModuleNameChars = 1024;
// Both the 32-bit and the 64-bit modules of a process (LIST_MODULES_ALL).
constexpr DWORD kListModulesAll = 0x03;
// A 64-bit program sees the 32-bit modules of a 32-bit process only when it asks for them.
#if defined(_WIN64)
constexpr DWORD kModuleSnapshotFlags = TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32;
#else
constexpr DWORD kModuleSnapshotFlags = TH32CS_SNAPMODULE;
#endif

// A process opened with exactly the rights asked for, closed on scope exit.
class ProcessHandle : public HandleGuard {
  public:
    ProcessHandle(ProcessId id, DWORD access) : HandleGuard(OpenProcess(access, FALSE, id)) {}
};

struct SystemServices {
    // Loads the libraries below, each by its full path in the system folder.
    LoadLibraryWFn loadLibrary = LoadLibraryW;
    HMODULE psapi = nullptr;
    EnumProcessesFn enumProcesses = nullptr;
    EnumProcessModulesFn enumProcessModules = nullptr;
    // Vista and later (psapi, or kernel32 as K32EnumProcessModulesEx); preferred when bound.
    EnumProcessModulesExFn enumProcessModulesEx = nullptr;
    ModuleTextFn getModuleBaseName = nullptr;
    ModuleTextFn getModuleFileNameEx = nullptr;
    GetProcessMemoryInfoFn getProcessMemoryInfo = nullptr;
    // XP's way to a process's image name through the query right alone.
    GetProcessImageFileNameWFn getProcessImageFileName = nullptr;

    HMODULE kernel32 = nullptr;
    CreateToolhelp32SnapshotFn createSnapshot = nullptr;
    Thread32FirstFn thread32First = nullptr;
    Thread32NextFn thread32Next = nullptr;
    OpenThreadFn openThread = nullptr;
    Process32FirstWFn process32First = nullptr;
    Process32NextWFn process32Next = nullptr;
    Module32FirstWFn module32First = nullptr;
    Module32NextWFn module32Next = nullptr;
    QueryFullProcessImageNameWFn queryFullProcessImageName = nullptr;
    CompareStringOrdinalFn compareStringOrdinal = nullptr;
    GetProcessIdOfThreadFn getProcessIdOfThread = nullptr;
    // ntdll's thread query, which tells a thread's process where GetProcessIdOfThread is missing.
    NtQueryInformationThreadFn ntQueryInformationThread = nullptr;
    // Fails, or is missing, where the system has no 32-bit layer.
    GetSystemWow64DirectoryWFn getSystemWow64Directory = nullptr;
};

extern SystemServices g_Services;

// One process as the system lists it: its id and the name of its executable.
struct ListedProcess {
    DWORD id;
    std::wstring name; // empty where the list gives none
};
// Every process the system lists, in its order: from one process snapshot, or where none can be
// taken from the id list alone, without names. Empty without psapi, which every read of a
// process needs.
std::vector<ListedProcess> ListProcesses();
// The name a process is matched by: `listed`, or where that is empty the base name of its main
// module read through an open with the read rights; empty for id 0 and when neither gives one.
std::wstring SystemNameOf(DWORD id, const std::wstring& listed);

// Every module handle of a process opened for reading, each once, the 32-bit modules of a 32-bit
// process included where the system can list them; empty when the system gives no list.
std::vector<HMODULE> ReadModuleHandles(HANDLE process);
// What `read` (a bound GetModuleBaseNameW or GetModuleFileNameExW) writes for `module` of a
// process opened for reading, into a buffer of `chars`; empty when it writes nothing or is not
// bound. The null module is the executable.
std::wstring ModuleText(ModuleTextFn read, HANDLE process, HMODULE module, DWORD chars);

// The file name of a process's image, read through `process`, which needs the limited query
// right (the query right before Vista); empty when the system gives none.
std::wstring ImageNameOf(HANDLE process);
// Opens the process with `access` and a right to read its image name (the limited query right,
// or the query right where the system lacks it), and keeps it open only when that image is named
// `name`: while the handle is open the id cannot pass to another program. Null otherwise.
HANDLE OpenConfirmed(ProcessId id, DWORD access, const std::wstring& name);

} // namespace proc
