// The program's own layer over the system's process services. Every operation opens a
// process with the least rights it needs and closes it again before returning.
//
// A name the system could not read is the empty text, and an empty name stands for no
// process: FindProcessByName and TerminateByName never match it. The program's own process
// is never frozen and never terminated by name (other processes of the same name still end).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using ProcessId = uint32_t;
using ModuleHandle = uintptr_t; // a module's load address in its process

// Binding of psapi.dll and the thread-snapshot functions of kernel32.dll.
void BindSystemServices();
// The same binding from libraries of other names (a missing psapi, a kernel library without
// the snapshot functions); BindSystemServices is BindSystemServicesFrom("psapi.dll",
// "kernel32.dll"). A binding already in place is kept until ReleaseSystemServices.
void BindSystemServicesFrom(const char* psapiName, const char* kernelName);
void ReleaseSystemServices();
void EnablePrivilege(const char* name);

// Process reading (cursor over at most 256 ids).
int ExamineProcesses();
int NextProcess();
std::string ProcessName();
ProcessId FindProcessByName(const std::string& name);
std::string ProcessFileName(ProcessId id);
int32_t ProcessPriority(ProcessId id);
uint64_t ProcessMemory(ProcessId id); // working set in bytes
int32_t HasFullAccess(ProcessId id);

// Module reading of one process (cursor over at most 1024 handles).
int ExamineModules(ProcessId id);
int NextModule();
ModuleHandle ModuleBase();
std::string ModuleName(ProcessId id);
std::string ModuleFileName(ProcessId id);

std::string OwnProgramName();

// Control.
void FreezeProcess(ProcessId id);
int SetProcessPriority(ProcessId id, uint32_t priorityClass);
void TerminateByName(const std::string& name, uint32_t exitCode);

// One reading of the process list in the system's order with every process's own name read
// once (no "IDLE"/"System" substitution); opened is false when the process could not be read.
struct ProcessNameEntry {
    ProcessId id;
    bool opened;
    std::string rawName;
};
std::vector<ProcessNameEntry> ReadProcessNames();
