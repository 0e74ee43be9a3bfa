// The preferences: one row each, read by the settings file's reader and writer and by the Setup
// page, which shows each on its Preferences tab as app/setup_layout.cpp describes. Adding a
// preference takes a field of Settings (settings.h), its row here and kPreferenceCount, and for
// the Setup page a control ID for its check box or option buttons (ui/control_ids.h) and its row
// of kPreferenceLooks (app/setup_layout.cpp), whose Misc frame may have to grow around a new
// check box.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/settings.h"

enum class PreferenceKind { OptionGroup, CheckBox };

struct Preference {
    const char* key; // in Morvane.ini
    int32_t Settings::*field;
    int32_t defaultValue;
    PreferenceKind kind;
    // An option group's values in the order its options are set and read; none for a check box.
    std::array<int32_t, 3> values;
    // A check box whose reader counts only 1 as on; for the others any nonzero value is on.
    bool onlyOneIsOn = false;
};

// In the order of Morvane.ini, which is also the order the Setup page sets and reads them.
constexpr size_t kPreferenceCount = 8;
inline constexpr std::array<Preference, kPreferenceCount> kPreferences = {{
    {"AskTerminate",
     &Settings::AskTerminate,
     AskEveryTime,
     PreferenceKind::OptionGroup,
     {AskEveryTime, AskCriticalOnly, AskNever}},
    {"LogInfoStyle",
     &Settings::LogInfoStyle,
     LogTimeStyle,
     PreferenceKind::OptionGroup,
     {LogNumberStyle, LogTimeStyle, LogNoPrefixStyle}},
    {"EnableTaskTerminate", &Settings::EnableTaskTerminate, 1, PreferenceKind::CheckBox, {}},
    {"EnableTaskFreeze", &Settings::EnableTaskFreeze, 1, PreferenceKind::CheckBox, {}},
    {"EnableDetectOwnTask", &Settings::EnableDetectOwnTask, 1, PreferenceKind::CheckBox, {}, true},
    {"EnableShowInfo", &Settings::EnableShowInfo, 1, PreferenceKind::CheckBox, {}},
    {"EnableSaveInfo", &Settings::EnableSaveInfo, 1, PreferenceKind::CheckBox, {}},
    {"EnableRestoreWindow", &Settings::EnableRestoreWindow, 1, PreferenceKind::CheckBox, {}},
}};
