// Texts of the log list and of the session block in Morvane.log, apart from any window or file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/time_format.h"

extern const char* const kSessionHeaderMask; // "[ Session-Log: %dd-%mm-%yyyy / %hh:%ii:%ss ]"
extern const char* const kSessionEndMask;    // "[ Session-End: %dd-%mm-%yyyy / %hh:%ii:%ss ]"
extern const char* const kLogTimeMask;       // "[ %hh:%ii:%ss ] - "

// Prefix of a new log line: LogNumberStyle numbers it (lineCount is the number of lines already
// in the list), LogTimeStyle gives the time of day of now, any other style gives none.
std::string BuildLogPrefix(int32_t style, int32_t lineCount, Timestamp now);

// One run's block: the header, each entry after two blanks, the end line and an empty line,
// every line ended by CR LF.
std::string FormatSessionBlock(const std::string& header, const std::vector<std::string>& entries,
                               const std::string& endLine);

// The largest waiting file that is merged into Morvane.log: 16 MiB, far beyond the block of any
// real run (a log line takes some 40 bytes), and little enough to read at once.
constexpr uint64_t kPendingBlockLimit = uint64_t{16} << 20;

// Whether a file name is that of a block waiting beside Morvane.log,
// "Morvane.log.<decimal>.pending" with 1 to 10 digits (letter case aside, as names match).
bool IsPendingBlockName(const std::wstring& fileName);
// Whether the text is one or more whole session blocks as FormatSessionBlock writes them: each a
// "[ Session-Log: dd-mm-yyyy / hh:ii:ss ]" line, entry lines of text after two blanks, a
// "[ Session-End: ... ]" line and an empty line, every line ended by CR LF; nothing else.
bool IsSessionBlockText(const std::string& text);
