// Utilities for Windows-side tests that work with real processes: a private temp folder,
// helper programs copied under chosen names, started children that are always ended, and
// independent views of processes and threads to check results against. The waits, the text
// conversions and the owned process come from the driver, which the end-to-end tests share.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "driver/driver.h"

namespace testsupport {

// Wide text and UTF-8, in which the tests write names of any script.
using driver::FromUtf8;
using driver::Utf8;
// Polls a condition until it holds or the time is up (10 s unless told).
using driver::WaitUntil;

// Folder of the running test program, with its trailing backslash; Morvane.exe and the helper
// programs are built beside it.
std::string ExeFolder();
// Full path of a helper program built beside the test program ("sleeper.exe").
std::string HelperPath(const std::string& exeName);

// A full path in the form that the wide calls take at any length ("\\?\" before it).
std::wstring LongPath(const std::wstring& path);
// Whether a file or folder of that name exists.
bool Exists(const std::string& path);
// Names in a folder (of any length, with or without its closing backslash), sorted.
std::vector<std::wstring> Entries(const std::wstring& folder);
// Deletes a folder (with or without its closing backslash, of any length) and everything in it;
// false when something stayed.
bool RemoveTree(const std::wstring& folder);
bool RemoveTree(const std::string& folder);
// Creates a new, empty folder under the temp folder; returns it with its closing backslash, or
// empty text on failure.
std::string MakeTempFolder(const std::string& prefix);
// RemoveTree, retried for a while: a program that has just ended may still hold its files.
bool RemoveFolder(const std::string& folder);
// Files by ANSI or wide path, the latter of any length.
bool WriteTextFile(const std::wstring& path, const std::string& text);
bool WriteTextFile(const std::string& path, const std::string& text);
// The file's bytes; `exists` tells a missing file from an empty one.
std::string ReadTextFile(const std::wstring& path, bool* exists = nullptr);
std::string ReadTextFile(const std::string& path, bool* exists = nullptr);

// A fresh folder under the temp path, removed with everything in it on destruction.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder() { RemoveFolder(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; } // without its closing backslash
    // Copies a helper built beside the test program into this folder as `newName`; returns
    // the new path, or empty on failure.
    std::string CopyHelper(const std::string& helperExe, const std::string& newName) const;

  private:
    std::string path_;
};

// A view of one started program.
struct Child {
    HANDLE process = nullptr; // owned by the ChildProcesses that started it
    DWORD id = 0;
};

// Waits until a helper says it is ready (helpers/started.h): its imports are loaded and its own
// set-up done. Until then its loader may still be adding modules.
bool WaitReady(DWORD processId);

// Programs started by a test. Whatever is still running when the owner goes out of scope is
// terminated and waited for, so no test leaves processes behind.
class ChildProcesses {
  public:
    ChildProcesses() = default;
    ChildProcesses(const ChildProcesses&) = delete;
    ChildProcesses& operator=(const ChildProcesses&) = delete;

    // Starts one of the helpers (`exePath`, a copy of one) with `arguments`, without a console,
    // and waits until it says it is ready (helpers/started.h). Returns a Child with id 0 on
    // failure or when it never said so.
    Child Start(const std::string& exePath, const std::string& arguments = std::string());
    // The same for a path that the ANSI code page cannot spell.
    Child StartWide(const std::wstring& exePath, const std::wstring& arguments = std::wstring());
    // Terminates one child, waits for it, closes its handle and waits until its id no longer
    // names a process that can be opened. Returns the exit code (STILL_ACTIVE when it did not end).
    DWORD EndAndRelease(const Child& child, UINT exitCode = 1);
    void KillAll() { children_.clear(); }
    std::vector<Child> All() const;

  private:
    std::vector<driver::Process> children_; // each ended and waited for as it goes
};

// Holds every process running at its construction open for waiting, so that a test can tell
// later which of them were ended with a given exit code. Processes that end on their own (Wine
// ends its desktop process when it has nothing to show) are told apart by their exit code.
class ProcessWatch {
  public:
    ProcessWatch();
    ~ProcessWatch();
    ProcessWatch(const ProcessWatch&) = delete;
    ProcessWatch& operator=(const ProcessWatch&) = delete;

    // Ids of the watched processes that have ended with `exitCode`, in ascending order.
    std::vector<DWORD> EndedWithCode(DWORD exitCode) const;
    // "name (id) " for each id, for failure messages.
    std::string Describe(const std::vector<DWORD>& ids) const;
    size_t Size() const { return watched_.size(); }

  private:
    struct Watched {
        DWORD id;
        std::string name;
        HANDLE process;
    };
    std::vector<Watched> watched_;
};

bool IsRunning(HANDLE process);
// For processes that must not end: true when none of them ended within `waitMs`. Ending a
// process completes after the call that asked for it, so only a wait of this length shows that
// nothing was ended.
bool NoneEndsWithin(const std::vector<HANDLE>& processes, DWORD waitMs = 1000);
// Waits for a process to end; returns its exit code, or STILL_ACTIVE on timeout.
DWORD WaitForExit(HANDLE process, DWORD timeoutMs = 10000);

// Process ids as the system lists them now, all of them.
std::vector<DWORD> AllProcessIds();
// The executable names of a process snapshot by process id, read without the program's
// process layer: what the system lists for every process, whatever its bitness.
std::map<DWORD, std::string> ProcessSnapshotNames();
// Base name of a process's executable read without the program's process layer; empty
// when it cannot be read.
std::string ExecutableNameOf(DWORD processId);
// Thread ids of one process from a thread snapshot.
std::vector<DWORD> ThreadIdsOf(DWORD processId);
// Suspend count of a thread, observed by suspending and at once resuming it; -1 when the
// thread cannot be opened or suspended.
int SuspendCountOf(DWORD threadId);
// The modules of a process per a Toolhelp module snapshot, in its order (the program first);
// `taken` tells an empty list from a snapshot that could not be taken.
struct ModuleEntry {
    std::string name, path;
    uintptr_t base;
};
std::vector<ModuleEntry> ModuleSnapshot(DWORD processId, bool* taken = nullptr);
// Number of modules in a process per a module snapshot; -1 when none can be taken.
int ModuleSnapshotCount(DWORD processId);
// Load address of a process's executable as its process environment block records it.
uintptr_t ImageBaseOf(HANDLE process);
// The values that the next `count` new handles of this process get. New handles take the
// lowest free slots, so a handle leaked in between changes this signature.
std::vector<uintptr_t> NextHandleValues(int count = 8);

// Lower-case / upper-case copies for ASCII letters only.
std::string AsciiLower(std::string text);
std::string AsciiUpper(std::string text);
// Case-insensitive ASCII comparison of two names or paths.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);
bool EndsWith(const std::string& text, const std::string& tail);

// Writes a minimal 64- or 32-bit DLL image (no code, no imports) that the loader can map;
// one per distinct path gives a test as many modules as it needs. Distinct preferred bases
// (`index` picks one) spare the loader from moving each image.
bool WriteMinimalDll(const std::string& path, unsigned index = 0);

} // namespace testsupport
