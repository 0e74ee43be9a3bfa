// The program's own layer over the system's process services.
//
// Every operation opens a process with the least rights it needs and closes it again before
// returning; the only handles that outlive a call are those of a FrozenThreads, which its owner
// holds for the few steps of one termination. Failure shows as 0, as an empty text or as
// nothing happening; nothing is reported.
//
// Names and paths are wide, as the system writes them. A process is matched by the system's own
// name of its executable, compared without case. That name comes from its process list, which
// needs no rights on the process; where that list is not available the name read from the
// process is taken instead. An empty name stands for no process: nothing ever matches it. The
// program's own process is never frozen and never terminated by name (other processes of the
// same name still end).
//
// Listings are uncapped: the id and module tables grow until the system's answer fits.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using ProcessId = uint32_t;
using ModuleHandle = uintptr_t; // a module's load address in its process

// Binding of psapi.dll and of the snapshot and query functions of kernel32.dll, both loaded from
// the system folder only.
void BindSystemServices();
// The same binding from libraries of other names (a missing psapi, a kernel library without
// the snapshot functions); BindSystemServices is BindSystemServicesFrom("psapi.dll",
// "kernel32.dll"). A binding already in place is kept until ReleaseSystemServices.
void BindSystemServicesFrom(const char* psapiName, const char* kernelName);
void ReleaseSystemServices();

// The folders in which the system keeps its own programs, as it names them: the system folder,
// the 32-bit system folder where the system has one, and the Windows folder's "SystemApps\".
// A folder the system does not give is left out. Opens nothing.
std::vector<std::wstring> ReadSystemFolders();

// Switches a named privilege of the program's token on (token opened with
// TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY); silent when the token lacks it.
void EnablePrivilege(const char* name);
// Switches a named privilege on or off (same token rights) and returns the state it had: 1 on,
// 0 off, -1 when the token does not hold it or cannot be changed (then nothing changed).
int SetPrivilegeState(const char* name, bool enabled);

// Keeps a privilege off while it lives and then gives it back the state it had, so that a
// program started meanwhile does not inherit it.
class PrivilegeOff {
  public:
    explicit PrivilegeOff(const char* name)
        : name_(name), previous_(SetPrivilegeState(name, false)) {}
    ~PrivilegeOff() {
        if (previous_ == 1) SetPrivilegeState(name_, true);
    }
    PrivilegeOff(const PrivilegeOff&) = delete;
    PrivilegeOff& operator=(const PrivilegeOff&) = delete;

  private:
    const char* name_;
    int previous_;
};

// Whether two system names are equal ignoring case, as the process layer matches them; an
// empty name equals nothing.
bool SameProcessName(const std::wstring& a, const std::wstring& b);

// --- Process reading: a cursor over every id the system lists ------------------------------
// Opens nothing; takes the ids and the system's process list. Returns the count, 0 without
// psapi or when the system refuses.
int ExamineProcesses();
// Opens nothing. The 1-based position, 0 past the last id (the cursor stays on the last).
int NextProcess();
// Name of the process under the cursor: "IDLE" for id 0; else the base name of its main module,
// read with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ ("System" when that reads "?"); where
// that open is refused or the name cannot be read, the name in the system's process list.
std::wstring ProcessName();
// The system's own name of the process under the cursor, from the process list taken by
// ExamineProcesses; for a process not in it, the name read with the read rights.
// Empty for id 0, before the first NextProcess, and when neither gives a name.
std::wstring ProcessSystemName();
// First process in the system's order whose system name equals `name` ignoring case; 0 when
// there is none or the name is empty. Opens nothing while the system's process list can be
// read; otherwise each process once with the read rights.
ProcessId FindProcessByName(const std::wstring& name);

// Path of the main module, read with the read rights; where the path cannot be read through that
// open, the image path through the same handle, and where the open is refused, the image path
// through an open with PROCESS_QUERY_LIMITED_INFORMATION. Empty when none gives one.
std::wstring ProcessFileName(ProcessId id);
// Priority class read with the read rights; 0 when refused.
int32_t ProcessPriority(ProcessId id);
// Working set in bytes read with the read rights; 0 when refused.
uint64_t ProcessMemory(ProcessId id);
// 1 when the process opens with all rights (0x1F0FFF), else 0.
int32_t HasFullAccess(ProcessId id);

// --- Module reading of one process ---------------------------------------------------------
// Reads every module handle with the read rights (uncapped) and returns the count; 0 when
// refused or unreadable (then NextModule gives 0 and ModuleBase 0). Where the system offers
// EnumProcessModulesEx, the 32-bit modules of a 32-bit process are listed too (LIST_MODULES_ALL),
// each module once.
int ExamineModules(ProcessId id);
// One module of a process: its load address, base name and full path.
struct ModuleInfo {
    ModuleHandle base = 0;
    std::wstring name;
    std::wstring path;
};
// Every module of a process in the system's order, the executable first, with the names and paths
// that ModuleName and ModuleFileName would give, all in one go: one open with the read rights
// (and one module snapshot). Empty when refused or unreadable. With a `name`, only while `id`
// still belongs to a process of that system name: the image name is confirmed on the handle the
// modules are read through. When the id has passed to a program of another name, the list is
// empty and `otherProgram` is set.
std::vector<ModuleInfo> ReadModules(ProcessId id, const std::wstring& name = std::wstring(),
                                    bool* otherProgram = nullptr);
// Opens nothing. The 1-based position, 0 past the last module (the cursor stays on the last).
int NextModule();
// Opens nothing. The load address of the module under the cursor; 0 when it stands on none.
ModuleHandle ModuleBase();
// Base name and path of the module under the cursor. The first of these calls after
// ExamineModules reads the names and paths of all modules of that reading at once (one more
// open with the read rights and one module snapshot; a module the snapshot lacks is read by
// itself through that open); later calls use what it read. Empty when `id` is not the process
// examined, when refused, or when the cursor stands on no module.
std::wstring ModuleName(ProcessId id);
std::wstring ModuleFileName(ProcessId id);

// --- The program's own process ----------------------------------------------------------------
// Opens nothing: the full path of the program's own executable as the system gives it (wide),
// however long; empty when the system gives none. The names below are cut from it.
std::wstring OwnProgramPath();
// Opens nothing: the program's own file name without folder and extension.
std::wstring OwnProgramName();
// Opens nothing: the file name of the program's own executable, as the system names its
// process ("Morvane.exe").
std::wstring OwnExeName();

// --- Control ---------------------------------------------------------------------------------
// Threads suspended by a checked freeze. They stay suspended, and their handles open, until
// Resume or until the owner goes away, which resumes them too: whatever way a termination ends
// (an exception, an early return), it leaves nothing frozen. Resuming the threads of a process
// that has ended since is harmless. Every holder is known while it lives, so that the end of the
// Windows session, which ends the process without unwinding it, can resume them all first.
class FrozenThreads {
  public:
    FrozenThreads();
    ~FrozenThreads();
    FrozenThreads(FrozenThreads&& other) noexcept;
    FrozenThreads& operator=(FrozenThreads&& other) noexcept;
    FrozenThreads(const FrozenThreads&) = delete;
    FrozenThreads& operator=(const FrozenThreads&) = delete;

    ProcessId Process() const { return process_; }
    int Count() const { return static_cast<int>(threads_.size()); }
    // Resumes each thread once; returns how many were resumed. The set is empty afterwards.
    int Resume();

  private:
    friend int FreezeProcess(ProcessId, const std::wstring&, FrozenThreads*);
    friend void ResumeFrozenThreads();
    void Release();
    ProcessId process_ = 0;
    void* pin_ = nullptr;        // the process, held so that its id cannot pass to another
    std::vector<void*> threads_; // opened for suspending and resuming
    // The holders alive, linked without allocating.
    FrozenThreads* previous_ = nullptr;
    FrozenThreads* next_ = nullptr;
};
// Resumes the threads of every holder alive (the Windows session is ending).
void ResumeFrozenThreads();

// Suspends every thread of the process once; returns how many. The threads come from a thread
// snapshot and are opened with THREAD_SUSPEND_RESUME and a query right (THREAD_QUERY_INFORMATION,
// or the limited one), through which the system confirms the thread's process: a thread id that
// passed to another process since the snapshot, or a thread whose process cannot be confirmed, is
// left alone. Nothing for the program's own id or without the snapshot entry points; a thread
// that refuses is passed over.
int FreezeProcess(ProcessId id);
// The same, only when `id` still belongs to a process named `name` (its image name, confirmed
// while the process is held open with SYNCHRONIZE and the limited query right, so the id cannot
// change hands in between); suspends nothing
// when it does not, or when the process cannot be held. The suspended threads are kept in
// `frozen` for Resume: room for each is made before it is suspended, and when memory runs out
// the freeze stops there, with the threads suspended so far held. Returns how many were
// suspended.
int FreezeProcess(ProcessId id, const std::wstring& name, FrozenThreads* frozen);
// Switches the base-priority privilege on, then opens with PROCESS_SET_INFORMATION; the system's
// result, 0 when refused.
int SetProcessPriority(ProcessId id, uint32_t priorityClass);
// The ids of every process whose system name equals `name` ignoring case, in the system's
// order, from one reading of the process list (names as FindProcessByName learns them). Opens
// nothing while the list can be read; empty for an empty name. The program's own id and id 0 are
// never among them.
std::vector<ProcessId> ProcessesNamed(const std::wstring& name);
// Switches the debug privilege on, then terminates each of `ids` that is still a process of the
// system name `name`. Each is opened with PROCESS_TERMINATE and the limited query right (the
// query right before Vista), and its image name is confirmed through that same handle before it
// is ended, so an id that passed to another program since the list was read is left alone.
// Returns how many the system accepted to end; their ids go to `ended` when given.
int TerminateProcesses(const std::vector<ProcessId>& ids, const std::wstring& name,
                       uint32_t exitCode, std::vector<ProcessId>* ended = nullptr);
// TerminateProcesses over ProcessesNamed(name): every process whose system name equals `name`
// ignoring case; 0 for an empty name. A process that refuses, has gone or cannot be confirmed is
// passed over.
int TerminateByName(const std::wstring& name, uint32_t exitCode,
                    std::vector<ProcessId>* ended = nullptr);

// --- One reading of the whole list, for the task list ---------------------------------------
// One process of a reading, in the system's order.
struct ProcessNameEntry {
    ProcessId id;
    bool opened;             // opened with the read rights
    std::wstring rawName;    // main module's base name as read; empty when it could not be
    std::wstring listedName; // its name in the system's process list
    std::wstring systemName; // the name it is matched by; empty for id 0 and unknown processes
};

// What a task row shows of a process besides its name.
struct ProcessDetails {
    std::wstring fileName;
    int32_t priority = 0;
    uint64_t memory = 0;
    int32_t rights = 0;
    int32_t moduleCount = 0; // every module, the main one included
    ModuleHandle base = 0;   // load address of the first module
};

struct ProcessListEntry : ProcessNameEntry {
    // Id of the first process of the reading with an equal system name (its own id when it is
    // that first one); 0 for id 0 and for a process without a name.
    ProcessId firstOfName = 0;
    // Read only for the first process of each name; the others show that one's.
    ProcessDetails details;
};

// Reads every process once: one open with the read rights serves name, path, priority, memory
// and modules, and one more open probes all rights. A process that refuses the read rights is
// opened once more with PROCESS_QUERY_LIMITED_INFORMATION for its path and is not probed (all
// rights include the read rights). So no process is opened more than twice.
std::vector<ProcessListEntry> ReadProcessList();
// The names alone, with one open per process.
std::vector<ProcessNameEntry> ReadProcessNames();
