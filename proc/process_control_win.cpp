// The write side: freezing, priority and termination of other processes.
#include "proc/process_api.h"

#include "proc/system_services_win.h"

#include <algorithm>

using namespace proc;

namespace {

bool SnapshotsBound() {
    const SystemServices& s = g_Services;
    return s.createSnapshot != nullptr && s.thread32First != nullptr && s.thread32Next != nullptr &&
           s.openThread != nullptr;
}

// Opens the thread for suspending; where the system can tell a thread's process, one that has
// passed to another process since the snapshot is left alone.
HANDLE OpenOwnedThread(DWORD threadId, ProcessId owner) {
    const SystemServices& s = g_Services;
    if (s.getProcessIdOfThread != nullptr) {
        HandleGuard thread(
            s.openThread(THREAD_SUSPEND_RESUME | THREAD_QUERY_INFORMATION, FALSE, threadId));
        if (thread.Valid())
            return s.getProcessIdOfThread(thread.Get()) == owner ? thread.Release() : nullptr;
    }
    return s.openThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
}

// Suspends every thread of `id` found in one thread snapshot. Threads are kept in `kept` when
// given, else closed at once.
int SuspendThreadsOf(ProcessId id, std::vector<void*>* kept) {
    const SystemServices& s = g_Services;
    HandleGuard snapshot(s.createSnapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.Valid()) return 0;
    int suspended = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = s.thread32First(snapshot.Get(), &entry); more;
         more = s.thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID != id) continue;
        HandleGuard thread(OpenOwnedThread(entry.th32ThreadID, id));
        if (!thread.Valid() || SuspendThread(thread.Get()) == static_cast<DWORD>(-1)) continue;
        ++suspended;
        if (kept != nullptr) kept->push_back(thread.Release());
    }
    return suspended;
}

} // namespace

FrozenThreads::~FrozenThreads() {
    Release();
}

FrozenThreads::FrozenThreads(FrozenThreads&& other) noexcept
    : process_(other.process_), pin_(other.pin_), threads_(std::move(other.threads_)) {
    other.process_ = 0;
    other.pin_ = nullptr;
    other.threads_.clear();
}

FrozenThreads& FrozenThreads::operator=(FrozenThreads&& other) noexcept {
    if (this != &other) {
        Release();
        process_ = other.process_;
        pin_ = other.pin_;
        threads_ = std::move(other.threads_);
        other.process_ = 0;
        other.pin_ = nullptr;
        other.threads_.clear();
    }
    return *this;
}

void FrozenThreads::Release() {
    for (void* thread : threads_)
        CloseHandle(thread);
    threads_.clear();
    if (pin_ != nullptr) CloseHandle(pin_);
    pin_ = nullptr;
    process_ = 0;
}

int FrozenThreads::Resume() {
    int resumed = 0;
    for (void* thread : threads_)
        if (ResumeThread(thread) != static_cast<DWORD>(-1)) ++resumed;
    Release();
    return resumed;
}

int FreezeProcess(ProcessId id) {
    // Suspending a thread of our own process could stop the very thread doing the work.
    if (!SnapshotsBound() || id == GetCurrentProcessId()) return 0;
    return SuspendThreadsOf(id, nullptr);
}

int FreezeProcess(ProcessId id, const std::wstring& name, FrozenThreads* frozen) {
    if (frozen == nullptr || !SnapshotsBound() || id == 0 || id == GetCurrentProcessId()) return 0;
    *frozen = FrozenThreads();
    // While this handle is open the id stays with this process, so the name checked below is
    // the name of the process whose threads are suspended.
    HandleGuard pin(OpenProcess(SYNCHRONIZE, FALSE, id));
    if (!pin.Valid() || WaitForSingleObject(pin.Get(), 0) == WAIT_OBJECT_0) return 0;
    if (!SameSystemName(SystemNameOf(id, ReadListedNames()), name)) return 0;

    frozen->process_ = id;
    frozen->pin_ = pin.Release();
    return SuspendThreadsOf(id, &frozen->threads_);
}

int SetProcessPriority(ProcessId id, uint32_t priorityClass) {
    EnablePrivilege("SeIncreaseBasePriorityPrivilege");
    ProcessHandle process(id, PROCESS_SET_INFORMATION);
    if (!process.Valid()) return 0;
    return SetPriorityClass(process.Get(), priorityClass);
}

int TerminateByName(const std::wstring& name, uint32_t exitCode, std::vector<ProcessId>* ended) {
    EnablePrivilege("SeDebugPrivilege");
    // An empty name is what an unreadable task was called; it stands for no process at all.
    if (name.empty()) return 0;

    const std::vector<DWORD> ids = ReadProcessIds();
    const std::unordered_map<DWORD, std::wstring> listed = ReadListedNames();
    const DWORD self = GetCurrentProcessId();
    int count = 0;
    for (DWORD id : ids) {
        // The program never ends itself here; its own shutdown is orderly.
        if (id == 0 || id == self) continue;
        if (!SameSystemName(SystemNameOf(id, listed), name)) continue;
        ProcessHandle victim(id, PROCESS_TERMINATE);
        if (!victim.Valid() || !TerminateProcess(victim.Get(), exitCode)) continue;
        ++count;
        if (ended != nullptr) ended->push_back(id);
    }
    return count;
}

int TerminateByName(const std::string& name, uint32_t exitCode) {
    return TerminateByName(WideText(name), exitCode);
}
