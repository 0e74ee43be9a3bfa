// The program's own layer over the system's process services.
//
// Every operation opens a process with the least rights it needs and closes it again before
// returning; the only handles that outlive a call are those of a FrozenThreads
// (proc/frozen_threads_win.h), which its owner holds for the few steps of one termination.
// Failure shows as 0, as an empty text or as nothing happening; nothing is reported.
//
// Names and paths are wide, as the system writes them. A process is matched by the system's own
// name of its executable, compared without case. That name comes from its process list, which
// needs no rights on the process; where that list is not available the name read from the
// process is taken instead. An empty name stands for no process: nothing ever matches it. The
// program's own process is never frozen and never terminated by name (other processes of the
// same name still end).
//
// Listings are uncapped: the process and module lists grow until the system's answer fits.
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

// Switches a named privilege of the program's token (opened with TOKEN_ADJUST_PRIVILEGES |
// TOKEN_QUERY) on, or off when `enable` is false, where the name reads backwards. Returns the
// state it had: 1 on, 0 off, -1 when the token does not hold it or cannot be changed (then
// nothing changed).
int EnablePrivilege(const char* name, bool enable = true);

// Keeps a privilege off while it lives and then gives it back the state it had, so that a
// program started meanwhile does not inherit it.
class PrivilegeOff {
  public:
    explicit PrivilegeOff(const char* name)
        : name_(name), previous_(EnablePrivilege(name, false)) {}
    ~PrivilegeOff() {
        if (previous_ == 1) EnablePrivilege(name_);
    }
    PrivilegeOff(const PrivilegeOff&) = delete;
    PrivilegeOff& operator=(const PrivilegeOff&) = delete;

  private:
    const char* name_;
    int previous_;
};

// Whether two system names are equal ignoring case, as the system compares them; an empty name
// equals nothing.
bool SameProcessName(const std::wstring& a, const std::wstring& b);

// --- One reading of every process --------------------------------------------------------------
// What a task row shows of a process besides its name.
struct ProcessDetails {
    std::wstring fileName;
    int32_t priority = 0;
    uint64_t memory = 0;
    int32_t rights = 0;
    int32_t moduleCount = 0; // every module, the main one included
    ModuleHandle base = 0;   // load address of the first module
};

// One process of a reading, in the system's order.
struct ProcessListEntry {
    ProcessId id = 0;
    std::wstring rawName;    // main module's base name as read; empty when it could not be
    std::wstring listedName; // its name in the system's process list
    std::wstring systemName; // the name it is matched by; empty for id 0 and unknown processes
    // Id of the first process of the reading with an equal system name (its own id when it is
    // that first one): what a lookup by name gives. 0 for id 0 and for a process without a name.
    ProcessId firstOfName = 0;
    // Read only for the first process of each name; the others show that one's.
    ProcessDetails details;
};

// Reads every process once. The ids and the system's names come from one process snapshot (from
// the id list where no snapshot can be taken, the names then read from each process); nothing
// without psapi. One open with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ serves name, path
// (where the path cannot be read through it, the image path), priority, memory and modules, and
// HasFullAccess probes all rights. A process that refuses the read rights is opened once more
// with PROCESS_QUERY_LIMITED_INFORMATION for its image path and is not probed (all rights include
// the read rights). So no process is opened more than twice.
std::vector<ProcessListEntry> ExamineProcesses();
// 1 when the process opens with all rights (0x1F0FFF), else 0.
int32_t HasFullAccess(ProcessId id);

// --- The modules of one process ----------------------------------------------------------------
// One module of a process: its load address, base name and full path.
struct ModuleInfo {
    ModuleHandle base = 0;
    std::wstring name;
    std::wstring path;
};
// Every module of a process in the system's order, the executable first, all in one go: one
// open with the read rights lists the handles (uncapped; where the system offers
// EnumProcessModulesEx, the 32-bit modules of a 32-bit process too, LIST_MODULES_ALL, each
// module once), and one module snapshot gives their names and paths (a module the snapshot lacks
// is read by itself through that open). Empty when refused or unreadable. With a `name`, only
// while `id` still belongs to a process of that system name: the image name is confirmed on the
// handle the modules are read through. When the id has passed to a program of another name, the
// list is empty and `otherProgram` is set.
std::vector<ModuleInfo> ExamineModules(ProcessId id, const std::wstring& name = std::wstring(),
                                       bool* otherProgram = nullptr);

// --- The program's own process ----------------------------------------------------------------
// Opens nothing: the full path of the program's own executable as the system gives it (wide),
// however long; empty when the system gives none. The names below are cut from it.
std::wstring OwnProgramPath();
// Opens nothing: the program's own file name without folder and extension.
std::wstring OwnProgramName();
// Opens nothing: the file name of the program's own executable, as the system names its
// process ("Morvane.exe").
std::wstring OwnExeName();

// --- Termination -------------------------------------------------------------------------------
// Switches the debug privilege on, then ends every process whose system name equals `name`
// ignoring case, from one reading of the process list taken now (names as ExamineProcesses
// learns them); nothing for an empty name. Each is opened with PROCESS_TERMINATE and the limited
// query right (the query right before Vista), and its image name is confirmed through that same
// handle before it is ended, so an id that passed to another program since the list was read is
// left alone. The program's own id and id 0 are never among them. Returns how many the system
// accepted to end; their ids go to `ended` when given.
int TerminateByName(const std::wstring& name, uint32_t exitCode,
                    std::vector<ProcessId>* ended = nullptr);
