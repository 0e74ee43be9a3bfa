// The lines of the run, shown in the log list, and the session block appended to Morvane.log
// at exit.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/time_format.h"

// Time given at exit to another program that holds Morvane.log at the moment of writing.
constexpr uint32_t kLogBusyWaitMs = 2000;

// Start line of this run's block in Morvane.log, formatted once at start-up.
extern std::string SessionHeader;
// Number of lines in the log list after the last AddLogLine; never reset during a run.
extern int32_t g_LogLineCount;

// The local time now, from the system.
Timestamp NowTimestamp();
// Builds the header line of this run's block; called once at start-up.
void BuildSessionHeader();
// Where the log's lines are shown, which start-up hands over: `append` adds a line at the end
// and gives its index (-1 when it was refused), `lines` gives all of them as shown, `pause`
// waits while the window keeps answering.
struct LogSink {
    std::function<int(const std::wstring&)> append;
    std::function<std::vector<std::wstring>()> lines;
    std::function<void(uint32_t milliseconds)> pause;
};
void SetLogSink(LogSink sink);
// Appends one line, with the prefix chosen by LogInfoStyle, and selects it.
void AddLogLine(const std::wstring& message);
// The lines of the run, first to last, exactly as shown.
std::vector<std::wstring> LogLines();
// Appends this run's block to Morvane.log (called by Shutdown when EnableSaveInfo is on), after
// any blocks still waiting beside it. When the log stays held past the wait, the block waits in
// "Morvane.log.<process id>.pending" instead.
void WriteSessionLog();
// At start-up, when EnableSaveInfo is on: appends the blocks waiting beside Morvane.log, oldest
// first, and deletes their files.
void AppendPendingLogBlocks();
