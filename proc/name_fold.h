// Pure rules of the process layer: how names read from the system are turned into text, how
// they are compared, and how tables of slots and their cursors are bounded.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Lower-case folding used for process names: bytes 65-90 ("A"-"Z") and 192-222 are raised by
// 32, every other byte stays as it is.
unsigned char FoldNameByte(unsigned char c);
std::string FoldName(const std::string& name);

// True when a name read from the system equals the wanted name after folding. An empty name
// on either side matches nothing: a process whose name could not be read must never be taken
// for another such process.
bool NameMatches(const std::string& readName, const std::string& wantedName);

// The text that a system call left in a name buffer of `capacity` bytes, given the length it
// reported. A call that reported 0 wrote nothing usable, so the result is empty; otherwise
// the text ends at the first zero byte, the reported length or the buffer's end, whichever
// comes first.
std::string NameFromBuffer(const char* buffer, size_t capacity, size_t reportedLength);

// The program's name from the full path of its executable: the part after the last
// backslash, without a leading double quote and ending at the next double quote, cut before
// the first "." that is not its first character ("C:\\x\\tool.exe" gives "tool").
std::string ProgramNameFromPath(const std::string& path);

// Number of whole slots of `slotSize` bytes in `bytes`, never more than `maxSlots`.
int SlotCount(uint64_t bytes, size_t slotSize, int maxSlots);
