// The preferences: one row each, read by the settings file's reader and writer and by the Setup
// page, which builds, shows and reads back its option groups and check boxes from the rows.
// Adding a preference takes a field of Settings (settings.h), a control ID for its check box or
// option buttons (ui/control_ids.h), its row here and kPreferenceCount; the Setup page's Misc
// frame (app/setup_layout.cpp) may have to grow around a new check box.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/settings.h"

enum class PreferenceKind { OptionGroup, CheckBox };

// A place on a Setup page at 96 DPI, relative to the tab control's page area.
struct PreferencePlace {
    int x, y, width, height;
};

// One choice of an option group: its option button, caption and place, and the value it stands
// for.
struct PreferenceOption {
    int control;
    const wchar_t* caption;
    int32_t value;
    PreferencePlace place;
};

struct Preference {
    const char* key; // in Morvane.ini
    int32_t Settings::*field;
    int32_t defaultValue;
    PreferenceKind kind;
    int page;    // the Setup tab it is shown on
    int control; // the check box, or the group box around the options
    const wchar_t* caption;
    PreferencePlace place;
    // An option group's choices in the order they are set and read; none for a check box.
    std::array<PreferenceOption, 3> options;
    // A check box whose reader counts only 1 as on; for the others any nonzero value is on.
    bool onlyOneIsOn = false;
};

// In the order of Morvane.ini, which is also the order the Setup page sets and reads them.
constexpr size_t kPreferenceCount = 8;
extern const std::array<Preference, kPreferenceCount> kPreferences;

// The row of a Settings field; null for a field that is no preference.
const Preference* PreferenceOf(int32_t Settings::*field);
