// Files read and replaced whole, at paths of any length: the path as the wide file calls take
// it, a whole read, and a replacement that leaves the old file whole unless the new one was
// written completely.
#pragma once
#include <windows.h>

#include <string>

// Whether a file call failed because another program holds the file.
bool HeldByAnother(DWORD error);

// The path made full by the system, at any length; empty when the system cannot.
std::wstring FullPathName(const std::wstring& path);
// The path as the wide file calls take it: made full by the system (a relative start, "." and
// "..", "/" resolved), then in its long-path form where it needs one. Device paths stay as they
// are. Paths below go through it.
std::wstring FileCallPath(const std::wstring& path);
// Reads a whole file, sharing read access. False when it cannot be opened or read.
bool ReadWholeFile(const std::wstring& path, std::string& text);
// Reads an open file from its current position to the end.
bool ReadFileContent(HANDLE file, std::string& text);

// A new plain file beside `target` (a path as the file calls take it), named after it with a
// random part, so that nobody can plant a link at the name ahead of time; a name that is taken
// gives way to another. Others may read it meanwhile. `temp` receives its name.
HANDLE CreateTemporaryBeside(const std::wstring& target, std::wstring& temp, DWORD flags = 0);
// Whether a file at `target` (a path as the file calls take it) can be replaced by a rename:
// either there is none, or it is neither read-only nor held by a program that keeps it from
// being removed. A link there is replaced itself, so it is opened, not followed.
bool Replaceable(const std::wstring& target);
// Replaces the file with content through a new temporary file beside it, so that the old file
// stays whole unless the new one was written completely. The temporary name has a random part
// and is never opened through a link. False (old file untouched) on any failure, and for a
// read-only file.
bool ReplaceFileContent(const std::wstring& path, const std::string& content);
