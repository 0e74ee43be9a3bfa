// Reading and writing the text of Morvane.ini, apart from any file or window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/settings.h"

extern const char* const kSettingsGroup; // "Morvane SetUp"

// Offset of the line that follows the group line "[name]" (name compared ignoring letter case,
// the "]" optional), or npos when the text has no such line.
size_t FindIniGroup(const std::string& text, const std::string& group);

// Looks for key from the group body at bodyStart up to the next line that starts with "[".
// On a match returns true and the offset just past the key's "=".
bool FindIniKey(const std::string& text, size_t bodyStart, const std::string& key,
                size_t& valueStart);

// The value at valueStart as a signed decimal number (blanks, sign, digits up to the first other
// character; no digits give 0), held to the signed 32-bit range.
int32_t ParseIniNumber(const std::string& text, size_t valueStart);
// The value at valueStart as text: leading blanks dropped, up to the first CR or LF.
std::string ParseIniText(const std::string& text, size_t valueStart);

// Reads every key of the settings group over s and the window position; what is missing keeps
// the value it came in with.
void ApplySettingsText(const std::string& text, Settings& s, int32_t& windowX, int32_t& windowY);

// The whole file as SaveSettings writes it: the group line, a line for each preference in the
// order of the preference table, WindowX, WindowY and CurrentDir, CR LF each, and LostLogBlocks
// after them when there are any.
std::string FormatSettingsText(const Settings& s, int32_t windowX, int32_t windowY);
