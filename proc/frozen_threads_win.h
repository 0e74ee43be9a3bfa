// Freezing a process before it is terminated, and the owner that resumes what was frozen.
#pragma once
#include <string>
#include <vector>

#include "base/handle_win.h"
#include "proc/process_api.h"

// Threads suspended by a checked freeze. They stay suspended, and their handles open, until
// Resume or until the owner goes away, which resumes them too: whatever way a termination ends
// (an exception, an early return), it leaves nothing frozen. Resuming the threads of a process
// that has ended since is harmless. Every holder is known while it lives, so that the end of the
// Windows session, which ends the process without unwinding it, can resume them all first.
class FrozenThreads {
  public:
    FrozenThreads();
    ~FrozenThreads();
    FrozenThreads(const FrozenThreads&) = delete;
    FrozenThreads& operator=(const FrozenThreads&) = delete;

    ProcessId Process() const { return process_; }
    int Count() const { return static_cast<int>(threads_.size()); }
    // Resumes each thread once; returns how many were resumed. The set is empty afterwards.
    int Resume();

  private:
    friend int FreezeProcess(ProcessId, const std::wstring&, FrozenThreads*);
    friend void ResumeFrozenThreads();
    ProcessId process_ = 0;
    HandleGuard pin_;                  // the process, so that its id cannot pass to another
    std::vector<HandleGuard> threads_; // opened for suspending and resuming
    // The holders alive, linked without allocating.
    FrozenThreads* previous_ = nullptr;
    FrozenThreads* next_ = nullptr;
};
// Resumes the threads of every holder alive (the Windows session is ending).
void ResumeFrozenThreads();

// Suspends every thread of the process `id` once, only while `id` still belongs to a process
// named `name` (its image name, confirmed while the process is held open with SYNCHRONIZE and the
// limited query right, so the id cannot change hands in between). The threads come from a thread
// snapshot and are opened with THREAD_SUSPEND_RESUME and a query right (THREAD_QUERY_INFORMATION,
// or the limited one), through which the system confirms the thread's process: a thread id that
// passed to another process since the snapshot, or a thread whose process cannot be confirmed, is
// left alone, and so is a thread that refuses. Whatever `frozen` held is resumed first; the
// threads suspended now are kept in it: room for each is made before it is suspended, and when
// memory runs out the freeze stops there, with the threads suspended so far held. Suspends
// nothing for the program's own id, id 0, a process that cannot be held or is named otherwise,
// or without the snapshot entry points. Returns how many were suspended.
int FreezeProcess(ProcessId id, const std::wstring& name, FrozenThreads* frozen);
