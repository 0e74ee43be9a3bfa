// The write side: termination of other processes by name.
#include "proc/process_api.h"

#include "proc/system_services_win.h"

using namespace proc;

namespace {

// The ids of every process whose system name equals `name` ignoring case, in the system's
// order, from one reading of the process list. The program's own id and id 0 are never among
// them.
std::vector<ProcessId> ProcessesNamed(const std::wstring& name) {
    std::vector<ProcessId> named;
    const DWORD self = GetCurrentProcessId();
    for (const ListedProcess& p : ListProcesses())
        // The program never ends itself here; its own shutdown is orderly.
        if (p.id != 0 && p.id != self && SameProcessName(SystemNameOf(p.id, p.name), name))
            named.push_back(p.id);
    return named;
}

} // namespace

int TerminateByName(const std::wstring& name, uint32_t exitCode, std::vector<ProcessId>* ended) {
    EnablePrivilege("SeDebugPrivilege");
    // An empty name is what an unreadable task was called; it stands for no process at all.
    if (name.empty()) return 0;
    int count = 0;
    for (ProcessId id : ProcessesNamed(name)) {
        // The name is confirmed again on the very handle that ends the process: its id may have
        // passed to another program since the list was read.
        HandleGuard victim(OpenConfirmed(id, PROCESS_TERMINATE, name));
        if (!victim.Valid() || !TerminateProcess(victim.Get(), exitCode)) continue;
        ++count;
        if (ended != nullptr) ended->push_back(id);
    }
    return count;
}
