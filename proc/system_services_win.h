// State shared by the process layer's Win32 files: the entry points bound by name, the two
// tables, the cursors and the small owners that close handles on every path.
#pragma once
#include <windows.h>

#include "app/handle_win.h"
#include <psapi.h>
#include <tlhelp32.h>

#include <cstddef>
#include <string>

#include "proc/list_cursor.h"
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
using GetModuleBaseNameAFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using GetModuleFileNameExAFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using GetProcessMemoryInfoFn = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
using CreateToolhelp32SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using Thread32FirstFn = BOOL(WINAPI*)(HANDLE, THREADENTRY32*);
using Thread32NextFn = BOOL(WINAPI*)(HANDLE, THREADENTRY32*);
using OpenThreadFn = HANDLE(WINAPI*)(DWORD, BOOL, DWORD);

constexpr int kTableSlots = 1024;
constexpr DWORD kProcessIdTableBytes = kTableSlots * sizeof(DWORD);
constexpr DWORD kModuleTableBytes = kTableSlots * sizeof(HMODULE);
// Only the first quarter of an id table is offered to the system: at most 256 ids are read.
constexpr DWORD kProcessIdReadBytes = 1024;
constexpr int kMaxProcesses = kProcessIdReadBytes / sizeof(DWORD);

constexpr DWORD kReadAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ; // 0x410
// All process rights as defined before Vista; later headers define a larger mask.
constexpr DWORD kFullAccess = 0x1F0FFF;
constexpr DWORD kProcessNameChars = 255;
constexpr DWORD kModuleNameChars = 1024;

// A process opened with exactly the rights asked for, closed on scope exit.
class ProcessHandle : public HandleGuard {
  public:
    ProcessHandle(ProcessId id, DWORD access) : HandleGuard(OpenProcess(access, FALSE, id)) {}
};

// A fixed global memory block, freed when the owner goes out of scope or on Free().
class GlobalBlock {
  public:
    GlobalBlock() = default;
    explicit GlobalBlock(SIZE_T bytes) { Allocate(bytes); }
    ~GlobalBlock() { Free(); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    bool Allocate(SIZE_T bytes);
    void Free();
    void* Data() const { return memory_; }
    SIZE_T Size() const { return size_; }

  private:
    HGLOBAL memory_ = nullptr;
    SIZE_T size_ = 0;
};

struct SystemServices {
    HMODULE psapi = nullptr;
    EnumProcessesFn enumProcesses = nullptr;
    EnumProcessModulesFn enumProcessModules = nullptr;
    GetModuleBaseNameAFn getModuleBaseName = nullptr;
    GetModuleFileNameExAFn getModuleFileNameEx = nullptr;
    GetProcessMemoryInfoFn getProcessMemoryInfo = nullptr;

    HMODULE kernel32 = nullptr;
    CreateToolhelp32SnapshotFn createSnapshot = nullptr;
    Thread32FirstFn thread32First = nullptr;
    Thread32NextFn thread32Next = nullptr;
    OpenThreadFn openThread = nullptr;

    GlobalBlock processIdTable; // kTableSlots DWORD ids
    GlobalBlock moduleTable;    // kTableSlots HMODULE handles
    ListCursor processCursor;
    ListCursor moduleCursor;
};

extern SystemServices g_Services;

DWORD* ProcessIdSlots();
HMODULE* ModuleSlots();

// Reads at most 256 process ids into `ids` (room for at least 256) and returns the count;
// 0 when psapi is not bound or the system refuses.
int ReadProcessIds(DWORD* ids);

// Base name of the first module (the executable) of a process opened for reading; empty when
// the system writes no name.
std::string MainModuleName(HANDLE process);

} // namespace proc
