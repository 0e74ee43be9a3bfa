// The read side: process and module listings with their cursors and single properties.
#include "proc/process_api.h"

#include "proc/name_fold.h"
#include "proc/system_services_win.h"

namespace proc {

int ReadProcessIds(DWORD* ids) {
    if (g_Services.enumProcesses == nullptr || ids == nullptr) return 0;
    DWORD bytes = 0;
    if (!g_Services.enumProcesses(ids, kProcessIdReadBytes, &bytes)) return 0;
    return SlotCount(bytes, sizeof(DWORD), kMaxProcesses);
}

namespace {

// The first module handle of a process: its executable. Null when the modules cannot be read,
// which the name functions also take to mean the executable.
HMODULE FirstModule(HANDLE process) {
    HMODULE first = nullptr;
    if (g_Services.enumProcessModules == nullptr) return nullptr;
    DWORD needed = 0;
    if (!g_Services.enumProcessModules(process, &first, sizeof(first), &needed)) return nullptr;
    return first;
}

std::string ModuleBaseName(HANDLE process, HMODULE module, DWORD chars) {
    if (g_Services.getModuleBaseName == nullptr) return std::string();
    std::string buffer(chars, '\0');
    const DWORD written = g_Services.getModuleBaseName(process, module, &buffer[0], chars);
    return NameFromBuffer(buffer.data(), chars, written);
}

std::string ModulePath(HANDLE process, HMODULE module, DWORD chars) {
    if (g_Services.getModuleFileNameEx == nullptr) return std::string();
    std::string buffer(chars, '\0');
    const DWORD written = g_Services.getModuleFileNameEx(process, module, &buffer[0], chars);
    return NameFromBuffer(buffer.data(), chars, written);
}

// Reads the module handles of `process` into the module table; returns the number of slots
// filled, or -1 when the system gives no list.
int FillModuleTable(HANDLE process) {
    HMODULE* slots = ModuleSlots();
    if (slots == nullptr || g_Services.enumProcessModules == nullptr) return -1;
    DWORD needed = 0;
    if (!g_Services.enumProcessModules(process, slots, kModuleTableBytes, &needed)) return -1;
    // The system reports what all modules would need, which may be more than the table holds.
    return SlotCount(needed, sizeof(HMODULE), kTableSlots);
}

enum class ModuleText { BaseName, FullPath };

std::string ReadModuleText(ProcessId id, ModuleText which) {
    const int slot = g_Services.moduleCursor.Slot();
    if (slot < 0) return std::string();
    ProcessHandle process(id, kReadAccess);
    if (!process.Valid()) return std::string();
    // The process may have unloaded modules since the listing: a slot past the fresh list
    // holds no handle of it.
    if (FillModuleTable(process.Get()) <= slot) return std::string();
    HMODULE module = ModuleSlots()[slot];
    return which == ModuleText::BaseName ? ModuleBaseName(process.Get(), module, kModuleNameChars)
                                         : ModulePath(process.Get(), module, kModuleNameChars);
}

} // namespace

std::string MainModuleName(HANDLE process) {
    return ModuleBaseName(process, FirstModule(process), kProcessNameChars);
}

} // namespace proc

using namespace proc;

int ExamineProcesses() {
    g_Services.processCursor.Reset(ReadProcessIds(ProcessIdSlots()));
    return g_Services.processCursor.Count();
}

int NextProcess() {
    return g_Services.processCursor.Next();
}

std::string ProcessName() {
    const int slot = g_Services.processCursor.Slot();
    if (slot < 0) return std::string();
    const ProcessId id = ProcessIdSlots()[slot];
    if (id == 0) return "IDLE";
    ProcessHandle process(id, kReadAccess);
    if (!process.Valid()) return std::string();
    std::string name = MainModuleName(process.Get());
    if (name == "?") return "System";
    return name;
}

ProcessId FindProcessByName(const std::string& name) {
    if (name.empty()) return 0;
    GlobalBlock ids(kProcessIdTableBytes);
    DWORD* slots = static_cast<DWORD*>(ids.Data());
    const int count = ReadProcessIds(slots);
    for (int i = 0; i < count; ++i) {
        ProcessHandle process(slots[i], kReadAccess);
        if (!process.Valid()) continue;
        if (NameMatches(MainModuleName(process.Get()), name)) return slots[i];
    }
    return 0;
}

std::string ProcessFileName(ProcessId id) {
    ProcessHandle process(id, kReadAccess);
    if (!process.Valid()) return std::string();
    return ModulePath(process.Get(), FirstModule(process.Get()), kProcessNameChars);
}

int32_t ProcessPriority(ProcessId id) {
    ProcessHandle process(id, kReadAccess);
    if (!process.Valid()) return 0;
    return static_cast<int32_t>(GetPriorityClass(process.Get()));
}

uint64_t ProcessMemory(ProcessId id) {
    if (g_Services.getProcessMemoryInfo == nullptr) return 0;
    ProcessHandle process(id, kReadAccess);
    if (!process.Valid()) return 0;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!g_Services.getProcessMemoryInfo(process.Get(), &counters, sizeof(counters))) return 0;
    return counters.WorkingSetSize;
}

int32_t HasFullAccess(ProcessId id) {
    ProcessHandle process(id, kFullAccess);
    return process.Valid() ? 1 : 0;
}

int ExamineModules(ProcessId id) {
    int count = 0;
    {
        ProcessHandle process(id, kReadAccess);
        if (process.Valid()) {
            const int filled = FillModuleTable(process.Get());
            count = filled < 0 ? 0 : filled;
        }
    }
    g_Services.moduleCursor.Reset(count);
    return count;
}

int NextModule() {
    return g_Services.moduleCursor.Next();
}

ModuleHandle ModuleBase() {
    const int slot = g_Services.moduleCursor.Slot();
    if (slot < 0) return 0;
    return reinterpret_cast<ModuleHandle>(ModuleSlots()[slot]);
}

std::string ModuleName(ProcessId id) {
    return ReadModuleText(id, ModuleText::BaseName);
}

std::string ModuleFileName(ProcessId id) {
    return ReadModuleText(id, ModuleText::FullPath);
}

std::string OwnProgramName() {
    char path[256] = {};
    const DWORD written = GetModuleFileNameA(nullptr, path, sizeof(path));
    return ProgramNameFromPath(NameFromBuffer(path, sizeof(path), written));
}

std::vector<ProcessNameEntry> ReadProcessNames() {
    std::vector<ProcessNameEntry> entries;
    GlobalBlock ids(kProcessIdTableBytes);
    DWORD* slots = static_cast<DWORD*>(ids.Data());
    const int count = ReadProcessIds(slots);
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        ProcessHandle process(slots[i], kReadAccess);
        ProcessNameEntry entry{slots[i], process.Valid(), std::string()};
        if (entry.opened) entry.rawName = MainModuleName(process.Get());
        entries.push_back(std::move(entry));
    }
    return entries;
}
