// File names as texts: their parts, and the form the wide file calls take at any length.
#pragma once
#include <cstddef>
#include <string>

// The text after the last backslash (the whole text when there is none).
std::wstring FilePart(const std::wstring& path);
// The text up to and with the last backslash ("C:\Tools\Morvane.exe" gives "C:\Tools\"); empty
// when there is none.
std::wstring FolderOf(const std::wstring& path);

// Paths from this length on take the long-path form: the lowest of the system's path limits,
// a folder's, lies there.
constexpr size_t kLongPathFrom = 248;
// "\\?\", "\\.\" and "//?/" paths (slashes of either kind) name devices or the system's
// literal form: they are handed to the system unchanged.
bool IsDevicePath(const std::wstring& path);
// The path as the wide file calls take it at any length: from kLongPathFrom characters on, a
// drive path gets "\\?\" before it and a share path ("\\server\share\...") is written
// "\\?\UNC\server\share\...", with every "/" turned into "\" since that form takes the
// path literally. It expects a full path: ".." and "." are not resolved here. Shorter paths,
// device paths and relative paths stay as they are.
std::wstring LongPathForm(const std::wstring& path);
