// The write side: freezing, priority and termination of other processes.
#include "proc/process_api.h"

#include "proc/system_services_win.h"

#include <algorithm>
#include <new>

using namespace proc;

namespace {

bool SnapshotsBound() {
    const SystemServices& s = g_Services;
    return s.createSnapshot != nullptr && s.thread32First != nullptr && s.thread32Next != nullptr &&
           s.openThread != nullptr;
}

// THREAD_BASIC_INFORMATION of ntdll's thread query: the thread's process is its client id.
struct ThreadBasics {
    LONG exitStatus;
    void* tebBase;
    ULONG_PTR clientProcess;
    ULONG_PTR clientThread;
    ULONG_PTR affinity;
    LONG priority;
    LONG basePriority;
};

// The process a thread opened with a query right belongs to; 0 when the system does not tell.
DWORD OwnerOf(HANDLE thread) {
    const SystemServices& s = g_Services;
    if (s.getProcessIdOfThread != nullptr) return s.getProcessIdOfThread(thread);
    ThreadBasics basics{};
    if (s.ntQueryInformationThread != nullptr &&
        s.ntQueryInformationThread(thread, 0, &basics, sizeof basics, nullptr) >= 0)
        return static_cast<DWORD>(basics.clientProcess);
    return 0;
}

// Opens the thread for suspending only when it still belongs to `owner`: a thread id may have
// passed to another process since the snapshot, and a thread whose process cannot be told is
// left alone.
HANDLE OpenOwnedThread(DWORD threadId, ProcessId owner) {
    const SystemServices& s = g_Services;
    for (DWORD query : {static_cast<DWORD>(THREAD_QUERY_INFORMATION), kLimitedThreadQueryAccess}) {
        HandleGuard thread(s.openThread(THREAD_SUSPEND_RESUME | query, FALSE, threadId));
        if (thread.Valid()) return OwnerOf(thread.Get()) == owner ? thread.Release() : nullptr;
    }
    return nullptr;
}

// Opens the process with `access` and a right to read its image name (the limited query right,
// or the query right where the system lacks it), and keeps it open only when that image is named
// `name`. While the handle is open the id cannot pass to another program, so the name confirmed
// is the name of the process acted on.
HANDLE OpenConfirmed(ProcessId id, DWORD access, const std::wstring& name) {
    HandleGuard process(OpenProcess(access | kLimitedQueryAccess, FALSE, id));
    if (!process.Valid()) process.Reset(OpenProcess(access | PROCESS_QUERY_INFORMATION, FALSE, id));
    if (!process.Valid() || !SameSystemName(ImageNameOf(process.Get()), name)) return nullptr;
    return process.Release();
}

// Suspends every thread of `id` found in one thread snapshot. Threads are kept in `kept` when
// given, else closed at once. A thread is suspended only once there is room to keep it, so that
// nothing is frozen without a holder to resume it; out of memory, the walk stops there.
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
        if (kept != nullptr && kept->size() == kept->capacity()) {
            try {
                kept->reserve(kept->empty() ? 16 : kept->size() * 2);
            } catch (const std::bad_alloc&) {
                break;
            }
        }
        HandleGuard thread(OpenOwnedThread(entry.th32ThreadID, id));
        if (!thread.Valid() || SuspendThread(thread.Get()) == static_cast<DWORD>(-1)) continue;
        ++suspended;
        if (kept != nullptr) kept->push_back(thread.Release()); // into the room made above
    }
    return suspended;
}

// The holders alive, most recent first.
FrozenThreads* g_Holders = nullptr;

} // namespace

FrozenThreads::FrozenThreads() : next_(g_Holders) {
    if (next_ != nullptr) next_->previous_ = this;
    g_Holders = this;
}

FrozenThreads::~FrozenThreads() {
    // Whatever way the owner goes, nothing it froze stays frozen; resuming a thread of a process
    // that has ended since does nothing.
    Resume();
    if (previous_ != nullptr) previous_->next_ = next_;
    if (next_ != nullptr) next_->previous_ = previous_;
    if (g_Holders == this) g_Holders = next_;
}

FrozenThreads::FrozenThreads(FrozenThreads&& other) noexcept : FrozenThreads() {
    process_ = other.process_;
    pin_ = other.pin_;
    threads_ = std::move(other.threads_);
    other.process_ = 0;
    other.pin_ = nullptr;
    other.threads_.clear();
}

FrozenThreads& FrozenThreads::operator=(FrozenThreads&& other) noexcept {
    if (this != &other) {
        Resume();
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

void ResumeFrozenThreads() {
    for (FrozenThreads* holder = g_Holders; holder != nullptr; holder = holder->next_)
        holder->Resume();
}

int FreezeProcess(ProcessId id) {
    // Suspending a thread of our own process could stop the very thread doing the work.
    if (!SnapshotsBound() || id == GetCurrentProcessId()) return 0;
    return SuspendThreadsOf(id, nullptr);
}

int FreezeProcess(ProcessId id, const std::wstring& name, FrozenThreads* frozen) {
    if (frozen == nullptr || !SnapshotsBound() || id == 0 || id == GetCurrentProcessId()) return 0;
    *frozen = FrozenThreads();
    HandleGuard pin(OpenConfirmed(id, SYNCHRONIZE, name));
    if (!pin.Valid() || WaitForSingleObject(pin.Get(), 0) == WAIT_OBJECT_0) return 0;

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

std::vector<ProcessId> ProcessesNamed(const std::wstring& name) {
    std::vector<ProcessId> named;
    // An empty name is what an unreadable task was called; it stands for no process at all.
    if (name.empty()) return named;
    const std::vector<DWORD> ids = ReadProcessIds();
    const std::unordered_map<DWORD, std::wstring> listed = ReadListedNames();
    const DWORD self = GetCurrentProcessId();
    for (DWORD id : ids)
        // The program never ends itself here; its own shutdown is orderly.
        if (id != 0 && id != self && SameSystemName(SystemNameOf(id, listed), name))
            named.push_back(id);
    return named;
}

int TerminateProcesses(const std::vector<ProcessId>& ids, const std::wstring& name,
                       uint32_t exitCode, std::vector<ProcessId>* ended) {
    EnablePrivilege("SeDebugPrivilege");
    int count = 0;
    for (ProcessId id : ids) {
        if (id == GetCurrentProcessId()) continue;
        // The name is confirmed again on the very handle that ends the process: its id may have
        // passed to another program since the list was read.
        HandleGuard victim(OpenConfirmed(id, PROCESS_TERMINATE, name));
        if (!victim.Valid() || !TerminateProcess(victim.Get(), exitCode)) continue;
        ++count;
        if (ended != nullptr) ended->push_back(id);
    }
    return count;
}

int TerminateByName(const std::wstring& name, uint32_t exitCode, std::vector<ProcessId>* ended) {
    return TerminateProcesses(ProcessesNamed(name), name, exitCode, ended);
}
