// The Setup page's rules that need no window: how the preferences map to its option buttons and
// check boxes, the Start button's working folder, the dialog's folder and the About text.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/preferences.h"
#include "settings/settings.h"

// Which option of a group a value stands for; -1 when it is none of the group's values.
int CheckedOption(int32_t value, const Preference& group);

// What the Setup page shows of each preference, in the order of kPreferences: for an option group
// the index of its checked option (-1 for none), for a check box 1 when checked (the value counts
// as on where the program reads it), else 0.
using PreferenceChoices = std::array<int, kPreferenceCount>;

PreferenceChoices ChoicesFromSettings(const Settings& settings);
// Writes back what the user changed from `shown` to `chosen`: the value of the option chosen in
// a group, 1 or 0 for a check box turned on or off. A preference left as it was shown keeps its
// value, one outside its group's values too, and a group with nothing checked is never written.
void StorePreferences(Settings& settings, const PreferenceChoices& shown,
                      const PreferenceChoices& chosen);

// The folder a started program runs in: the command up to and including its last backslash, or
// nothing when there is no backslash after the first character.
std::wstring WorkingFolder(const std::wstring& command);

// The lines of the About text around the build stamp, and the text as the page shows it (lines
// joined by line feeds).
std::vector<std::string> AboutLines(const std::string& version, const std::string& buildStamp);
std::string AboutText(const std::string& version, const std::string& buildStamp);

// A filter of "description|pattern|..." entries in the form the file dialogs take: each part
// ended by a NUL, the whole list by a second NUL.
std::wstring DialogFilter(const std::wstring& barSeparated);
