// The write side: freezing, priority and termination of other processes.
#include "proc/process_api.h"

#include "proc/name_fold.h"
#include "proc/system_services_win.h"

using namespace proc;

void FreezeProcess(ProcessId id) {
    const SystemServices& s = g_Services;
    if (s.createSnapshot == nullptr || s.thread32First == nullptr || s.thread32Next == nullptr ||
        s.openThread == nullptr)
        return;
    // Suspending a thread of our own process could stop the very thread doing the work.
    if (id == GetCurrentProcessId()) return;

    HandleGuard snapshot(s.createSnapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.Valid()) return;

    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = s.thread32First(snapshot.Get(), &entry); more;
         more = s.thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID != id) continue;
        HandleGuard thread(s.openThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
        if (thread.Valid()) SuspendThread(thread.Get());
    }
}

int SetProcessPriority(ProcessId id, uint32_t priorityClass) {
    EnablePrivilege("SeIncreaseBasePriorityPrivilege");
    ProcessHandle process(id, PROCESS_SET_INFORMATION);
    if (!process.Valid()) return 0;
    return SetPriorityClass(process.Get(), priorityClass);
}

void TerminateByName(const std::string& name, uint32_t exitCode) {
    EnablePrivilege("SeDebugPrivilege");
    // An empty name is what an unreadable task was called; it stands for no process at all.
    if (name.empty()) return;

    GlobalBlock ids(kProcessIdTableBytes);
    DWORD* slots = static_cast<DWORD*>(ids.Data());
    const int count = ReadProcessIds(slots);
    const DWORD self = GetCurrentProcessId();
    for (int i = 0; i < count; ++i) {
        // The program never ends itself here; its own shutdown is orderly.
        if (slots[i] == self) continue;
        bool matches = false;
        {
            ProcessHandle process(slots[i], kReadAccess);
            if (!process.Valid()) continue;
            matches = NameMatches(MainModuleName(process.Get()), name);
        }
        if (!matches) continue;
        ProcessHandle victim(slots[i], PROCESS_TERMINATE);
        if (victim.Valid()) TerminateProcess(victim.Get(), exitCode);
    }
}
