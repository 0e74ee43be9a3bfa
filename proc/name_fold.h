// Pure rules of the process layer: how names read from the system are turned into text and
// how tables of slots are bounded.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "proc/process_api.h"

// The text that a system call left in a name buffer of `capacity` characters, given the length
// it reported. A call that reported 0 wrote nothing usable, so the result is empty; otherwise
// the text ends at the first zero, the reported length or the buffer's end, whichever comes
// first.
std::wstring NameFromBuffer(const wchar_t* buffer, size_t capacity, size_t reportedLength);

// The program's name from the full path of its executable: the part after the last
// backslash, without a leading double quote and ending at the next double quote, cut before
// the first "." that is not its first character ("C:\\x\\tool.exe" gives "tool"). A name
// given for the path comes back as it was.
std::wstring ProgramNameFromPath(const std::wstring& path);

// Number of whole slots of `slotSize` bytes in `bytes`, never more than `maxSlots`.
int SlotCount(uint64_t bytes, size_t slotSize, int maxSlots);

// The name a task row shows for one process of a reading: "IDLE" for id 0, "System" for a main
// module read as "?", else the name read from the process, and where none could be read the
// name in the system's process list (empty when that is unknown too).
std::wstring DisplayName(const ProcessListEntry& entry);
