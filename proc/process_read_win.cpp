// The read side: the one reading of every process that the task list is built from, and the
// modules of one process.
#include "proc/process_api.h"

#include "base/wide_text.h"
#include "proc/name_fold.h"
#include "proc/system_services_win.h"

#include <algorithm>
#include <cwchar>
#include <unordered_map>
#include <unordered_set>

namespace proc {

namespace {

// The image path through the limited query right (or any handle that includes it), cut like
// the paths read from the modules.
std::wstring ImagePath(HANDLE process) {
    if (g_Services.queryFullProcessImageName == nullptr) return std::wstring();
    std::wstring buffer(MAX_PATH * 4, L'\0');
    DWORD chars = static_cast<DWORD>(buffer.size());
    if (!g_Services.queryFullProcessImageName(process, 0, &buffer[0], &chars))
        return std::wstring();
    return CutText(NameFromBuffer(buffer.data(), buffer.size(), chars), kProcessNameChars - 1);
}

// Path of a process opened for reading (null when refused): from its main module, else from
// the image name, through a limited open when the read open was refused.
std::wstring PathOf(ProcessId id, HANDLE process, HMODULE first) {
    if (process != nullptr) {
        std::wstring path =
            ModuleText(g_Services.getModuleFileNameEx, process, first, kProcessNameChars);
        if (!path.empty()) return path;
        return ImagePath(process);
    }
    if (id == 0 || g_Services.queryFullProcessImageName == nullptr) return std::wstring();
    ProcessHandle limited(id, kLimitedQueryAccess);
    return limited.Valid() ? ImagePath(limited.Get()) : std::wstring();
}

uint64_t MemoryOf(HANDLE process) {
    if (g_Services.getProcessMemoryInfo == nullptr) return 0;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!g_Services.getProcessMemoryInfo(process, &counters, sizeof(counters))) return 0;
    return counters.WorkingSetSize;
}

// The first id of each system name in the order the names are offered. Names are bucketed by
// length, since names that differ in length never compare equal.
class FirstOfName {
  public:
    ProcessId Take(const std::wstring& name, ProcessId id) {
        if (name.empty() || id == 0) return 0;
        std::vector<std::pair<std::wstring, ProcessId>>& bucket = byLength_[name.size()];
        for (const auto& known : bucket)
            if (SameProcessName(known.first, name)) return known.second;
        bucket.emplace_back(name, id);
        return id;
    }

  private:
    std::unordered_map<size_t, std::vector<std::pair<std::wstring, ProcessId>>> byLength_;
};

// Reads one process of a reading; its details only when it is the first of its name.
void ReadListEntry(ProcessListEntry& entry, FirstOfName& firsts) {
    const ProcessId id = entry.id;
    if (id == 0) return; // the idle pseudo-process is not asked
    entry.systemName = entry.listedName;
    ProcessHandle process(id, kReadAccess);
    const bool opened = process.Valid();
    const SystemServices& s = g_Services;
    if (entry.systemName.empty() && opened) {
        entry.rawName = ModuleText(s.getModuleBaseName, process.Get(), nullptr, kProcessNameChars);
        entry.systemName = entry.rawName;
    }
    entry.firstOfName = firsts.Take(entry.systemName, id);
    const bool details = entry.firstOfName == id;

    // The first module of the list is the executable; without a list, the null module stands
    // for it too.
    std::vector<HMODULE> modules;
    if (details && opened) modules = ReadModuleHandles(process.Get());
    HMODULE first = modules.empty() ? nullptr : modules.front();
    if (opened && entry.rawName.empty())
        entry.rawName = ModuleText(s.getModuleBaseName, process.Get(), first, kProcessNameChars);
    if (!details) return;

    ProcessDetails& d = entry.details;
    d.fileName = PathOf(id, opened ? process.Get() : nullptr, first);
    if (!opened) return; // the other cells stay as for a process that cannot be opened
    d.priority = static_cast<int32_t>(GetPriorityClass(process.Get()));
    d.memory = MemoryOf(process.Get());
    d.moduleCount = static_cast<int32_t>(modules.size());
    d.base = modules.empty() ? 0 : reinterpret_cast<ModuleHandle>(modules.front());
    process.Reset();
    d.rights = HasFullAccess(id);
}

// A module snapshot of one process. The system refuses one (ERROR_BAD_LENGTH) while the process
// loads or unloads a module; a moment later it usually gives it.
const int kModuleSnapshotTries = 5;
const DWORD kModuleSnapshotRetryMs = 1;

HANDLE ModuleSnapshot(ProcessId id) {
    HANDLE snapshot = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kModuleSnapshotTries; ++attempt) {
        snapshot = g_Services.createSnapshot(kModuleSnapshotFlags, id);
        if (snapshot != INVALID_HANDLE_VALUE || GetLastError() != ERROR_BAD_LENGTH) break;
        Sleep(kModuleSnapshotRetryMs);
    }
    return snapshot;
}

// Names and paths of the modules of a process opened for reading, in the order of `modules`:
// from one module snapshot where it can be taken, else module by module through the open.
void ReadModuleTexts(ProcessId id, HANDLE process, const std::vector<HMODULE>& modules,
                     std::vector<std::wstring>& names, std::vector<std::wstring>& paths) {
    const SystemServices& s = g_Services;
    names.assign(modules.size(), std::wstring());
    paths.assign(modules.size(), std::wstring());
    if (modules.empty() || process == nullptr) return;
    std::unordered_map<ModuleHandle, size_t> slotOf;
    for (size_t i = 0; i < modules.size(); ++i)
        slotOf.emplace(reinterpret_cast<ModuleHandle>(modules[i]), i);
    std::vector<bool> found(modules.size(), false);
    if (s.createSnapshot != nullptr && s.module32First != nullptr && s.module32Next != nullptr) {
        HandleGuard snapshot(ModuleSnapshot(id));
        MODULEENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = snapshot.Valid() && s.module32First(snapshot.Get(), &entry); more;
             more = s.module32Next(snapshot.Get(), &entry)) {
            auto slot = slotOf.find(reinterpret_cast<ModuleHandle>(entry.hModule));
            if (slot == slotOf.end() || found[slot->second]) continue;
            entry.szModule[MAX_MODULE_NAME32] = L'\0';
            // A path that fills the entry may have been cut: it is read by itself below.
            entry.szExePath[MAX_PATH - 1] = L'\0';
            if (std::wcslen(entry.szExePath) >= MAX_PATH - 1) continue;
            // As long as the system would have written into a buffer of the usual size.
            names[slot->second] = CutText(entry.szModule, kModuleNameChars - 1);
            paths[slot->second] = CutText(entry.szExePath, kModuleNameChars - 1);
            found[slot->second] = true;
        }
    }
    // Modules the snapshot did not show (none taken, or loaded since the listing).
    for (size_t i = 0; i < modules.size(); ++i) {
        if (found[i]) continue;
        names[i] = ModuleText(s.getModuleBaseName, process, modules[i], kModuleNameChars);
        paths[i] = ModuleText(s.getModuleFileNameEx, process, modules[i], kModuleNameChars);
    }
}

} // namespace

std::vector<HMODULE> ReadModuleHandles(HANDLE process) {
    const SystemServices& s = g_Services;
    std::vector<HMODULE> modules;
    if (s.enumProcessModulesEx == nullptr && s.enumProcessModules == nullptr) return modules;
    // The plain listing shows a 64-bit program only the 64-bit layer of a 32-bit process.
    auto list = [&s, process](HMODULE* buffer, DWORD offered, DWORD* needed) {
        return s.enumProcessModulesEx != nullptr
                   ? s.enumProcessModulesEx(process, buffer, offered, needed, kListModulesAll)
                   : s.enumProcessModules(process, buffer, offered, needed);
    };
    DWORD slots = kFirstModuleSlots;
    // Modules may load between two calls; a few rounds settle any real process.
    for (int round = 0; round < 4; ++round) {
        modules.resize(slots);
        const DWORD offered = slots * sizeof(HMODULE);
        DWORD needed = 0;
        if (!list(modules.data(), offered, &needed)) return std::vector<HMODULE>();
        if (needed <= offered || round == 3) {
            modules.resize(SlotCount(needed, sizeof(HMODULE), static_cast<int>(slots)));
            break;
        }
        slots = needed / sizeof(HMODULE) + 64;
    }
    // A module both layers know (the executable) is one module: keep its first place.
    std::unordered_set<HMODULE> seen;
    modules.erase(std::remove_if(modules.begin(), modules.end(),
                                 [&seen](HMODULE m) { return !seen.insert(m).second; }),
                  modules.end());
    return modules;
}

std::wstring ModuleText(ModuleTextFn read, HANDLE process, HMODULE module, DWORD chars) {
    if (read == nullptr) return std::wstring();
    std::wstring buffer(chars, L'\0');
    return NameFromBuffer(buffer.data(), chars, read(process, module, &buffer[0], chars));
}

} // namespace proc

using namespace proc;

std::vector<ProcessListEntry> ExamineProcesses() {
    const std::vector<ListedProcess> listed = ListProcesses();
    std::vector<ProcessListEntry> entries(listed.size());
    FirstOfName firsts;
    for (size_t i = 0; i < listed.size(); ++i) {
        entries[i].id = listed[i].id;
        entries[i].listedName = listed[i].name;
        ReadListEntry(entries[i], firsts);
    }
    return entries;
}

int32_t HasFullAccess(ProcessId id) {
    ProcessHandle process(id, kFullAccess);
    return process.Valid() ? 1 : 0;
}

std::vector<ModuleInfo> ExamineModules(ProcessId id, const std::wstring& name, bool* otherProgram) {
    if (otherProgram != nullptr) *otherProgram = false;
    std::vector<ModuleInfo> modules;
    ProcessHandle process(id, kReadAccess);
    if (!process.Valid()) return modules;
    if (!name.empty()) {
        // The name is confirmed on the handle the modules are read through: while it is open
        // the id cannot pass to another program. A name that cannot be read confirms nothing.
        std::wstring actual = ImageNameOf(process.Get());
        if (actual.empty())
            actual =
                ModuleText(g_Services.getModuleBaseName, process.Get(), nullptr, kProcessNameChars);
        if (actual.empty()) return modules;
        if (!SameProcessName(actual, name)) {
            if (otherProgram != nullptr) *otherProgram = true;
            return modules;
        }
    }
    const std::vector<HMODULE> handles = ReadModuleHandles(process.Get());
    std::vector<std::wstring> names, paths;
    ReadModuleTexts(id, process.Get(), handles, names, paths);
    modules.reserve(handles.size());
    for (size_t i = 0; i < handles.size(); ++i)
        modules.push_back(
            {reinterpret_cast<ModuleHandle>(handles[i]), std::move(names[i]), std::move(paths[i])});
    return modules;
}
