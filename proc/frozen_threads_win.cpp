// Freezing: the threads of one process suspended, and resumed by their owner.
#include "proc/frozen_threads_win.h"

#include "proc/system_services_win.h"

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
HandleGuard OpenOwnedThread(DWORD threadId, ProcessId owner) {
    const SystemServices& s = g_Services;
    for (DWORD query : {static_cast<DWORD>(THREAD_QUERY_INFORMATION), kLimitedThreadQueryAccess}) {
        HandleGuard thread(s.openThread(THREAD_SUSPEND_RESUME | query, FALSE, threadId));
        if (thread.Valid())
            return OwnerOf(thread.Get()) == owner ? std::move(thread) : HandleGuard();
    }
    return HandleGuard();
}

// Suspends every thread of `id` found in one thread snapshot and keeps it in `kept`. A thread is
// suspended only once there is room to keep it, so that nothing is frozen without a holder to
// resume it; out of memory, the walk stops there.
int SuspendThreadsOf(ProcessId id, std::vector<HandleGuard>& kept) {
    const SystemServices& s = g_Services;
    HandleGuard snapshot(s.createSnapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.Valid()) return 0;
    int suspended = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = s.thread32First(snapshot.Get(), &entry); more;
         more = s.thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID != id) continue;
        if (kept.size() == kept.capacity()) {
            try {
                kept.reserve(kept.empty() ? 16 : kept.size() * 2);
            } catch (const std::bad_alloc&) {
                break;
            }
        }
        HandleGuard thread = OpenOwnedThread(entry.th32ThreadID, id);
        if (!thread.Valid() || SuspendThread(thread.Get()) == static_cast<DWORD>(-1)) continue;
        ++suspended;
        kept.push_back(std::move(thread)); // into the room made above
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

int FrozenThreads::Resume() {
    int resumed = 0;
    for (const HandleGuard& thread : threads_)
        if (ResumeThread(thread.Get()) != static_cast<DWORD>(-1)) ++resumed;
    threads_.clear();
    pin_.Reset();
    process_ = 0;
    return resumed;
}

void ResumeFrozenThreads() {
    for (FrozenThreads* holder = g_Holders; holder != nullptr; holder = holder->next_)
        holder->Resume();
}

int FreezeProcess(ProcessId id, const std::wstring& name, FrozenThreads* frozen) {
    if (frozen == nullptr) return 0;
    frozen->Resume();
    // Suspending a thread of our own process could stop the very thread doing the work.
    if (!SnapshotsBound() || id == 0 || id == GetCurrentProcessId()) return 0;
    HandleGuard pin(OpenConfirmed(id, SYNCHRONIZE, name));
    if (!pin.Valid() || WaitForSingleObject(pin.Get(), 0) == WAIT_OBJECT_0) return 0;

    frozen->process_ = id;
    frozen->pin_ = std::move(pin);
    return SuspendThreadsOf(id, frozen->threads_);
}
