#include "proc/process_api.h"

// Placeholders until the process layer lands.
void BindSystemServices() {}
void ReleaseSystemServices() {}
void EnablePrivilege(const char*) {}
int ExamineProcesses() { return 0; }
int NextProcess() { return 0; }
std::string ProcessName() { return std::string(); }
ProcessId FindProcessByName(const std::string&) { return 0; }
std::string ProcessFileName(ProcessId) { return std::string(); }
int32_t ProcessPriority(ProcessId) { return 0; }
uint64_t ProcessMemory(ProcessId) { return 0; }
int32_t HasFullAccess(ProcessId) { return 0; }
int ExamineModules(ProcessId) { return 0; }
int NextModule() { return 0; }
ModuleHandle ModuleBase() { return 0; }
std::string ModuleName(ProcessId) { return std::string(); }
std::string ModuleFileName(ProcessId) { return std::string(); }
std::string OwnProgramName() { return std::string(); }
void FreezeProcess(ProcessId) {}
int SetProcessPriority(ProcessId, uint32_t) { return 0; }
void TerminateByName(const std::string&, uint32_t) {}
std::vector<ProcessNameEntry> ReadProcessNames() { return {}; }
