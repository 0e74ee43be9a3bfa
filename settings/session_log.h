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
// Appends this run's block to Morvane.log (called at the end of the run when EnableSaveInfo is
// on), after any blocks still waiting beside it. When the log stays held past the wait, the block
// waits in "Morvane.log.<process id>.pending" instead, or under another free number when that
// name is taken. False when the block was kept nowhere: the log held and no such file made, or
// a write refused. A log that is no plain file, or cannot be made, is left alone as the start of
// the run said ("Can't save: Morvane.log"): true.
bool WriteSessionLog();
// At start-up: tells how many runs' blocks were lost since the last start that could tell
// (Morvane.ini keeps the count until then). Then, when EnableSaveInfo is on, appends the blocks
// waiting beside Morvane.log, oldest first, and deletes their files. Only Morvane's own are
// merged: a file of that name holding whole session blocks, up to kPendingBlockLimit, that can be
// taken away; it is taken away before its block is appended, and kept when the append fails, so
// that no block reaches the log twice. Any other is left where it is, and named once in the run's
// log ("Not merged: " and its name); a file another program holds waits for a later run.
void AppendPendingLogBlocks();
// Runs whose blocks were lost before this one, as AppendPendingLogBlocks found them counted.
int32_t LostLogBlocksBefore();
