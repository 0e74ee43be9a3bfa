#include "settings/preferences.h"

#include "ui/control_ids.h"

namespace {

constexpr std::array<PreferenceOption, 3> kNoOptions = {};

// A check box of the Misc group.
constexpr Preference CheckBox(const char* key, int32_t Settings::*field, int control,
                              const wchar_t* caption, PreferencePlace place,
                              bool onlyOneIsOn = false) {
    return {
        key,   field,      1,          PreferenceKind::CheckBox, PreferencesPage, control, caption,
        place, kNoOptions, onlyOneIsOn};
}

} // namespace

const std::array<Preference, kPreferenceCount> kPreferences = {{
    {"AskTerminate",
     &Settings::AskTerminate,
     AskEveryTime,
     PreferenceKind::OptionGroup,
     PreferencesPage,
     AskFrame,
     L"Message before terminate",
     {5, 10, 210, 77},
     {{{AskEveryTimeOption,
        L"Every time a task will be terminate",
        AskEveryTime,
        {13, 26, 180, 20}},
       {AskCriticalOption,
        L"Only when terminate critical task",
        AskCriticalOnly,
        {13, 44, 180, 20}},
       {AskNeverOption, L"Never ever ask (very dangerous)", AskNever, {13, 62, 180, 20}}}}},
    {"LogInfoStyle",
     &Settings::LogInfoStyle,
     LogTimeStyle,
     PreferenceKind::OptionGroup,
     PreferencesPage,
     StyleFrame,
     L"Style of info",
     {222, 10, 141, 77},
     {{{StyleNumberOption, L"Number of entry", LogNumberStyle, {230, 26, 110, 20}},
       {StyleTimeOption, L"Time when entry", LogTimeStyle, {230, 44, 110, 20}},
       {StyleNoneOption, L"None (how boring)", LogNoPrefixStyle, {230, 62, 110, 20}}}}},
    CheckBox("EnableTaskTerminate", &Settings::EnableTaskTerminate, TaskTerminateCheck,
             L"Enable task terminate (private)", {13, 111, 165, 20}),
    CheckBox("EnableTaskFreeze", &Settings::EnableTaskFreeze, TaskFreezeCheck,
             L"Freeze task before terminate", {13, 129, 165, 20}),
    CheckBox("EnableDetectOwnTask", &Settings::EnableDetectOwnTask, DetectOwnTaskCheck,
             L"Never detect own task (finish)", {13, 147, 165, 20}, true),
    CheckBox("EnableShowInfo", &Settings::EnableShowInfo, ShowInfoCheck, L"Show log-informations",
             {215, 111, 135, 20}),
    CheckBox("EnableSaveInfo", &Settings::EnableSaveInfo, SaveInfoCheck, L"Save log-informations",
             {215, 129, 135, 20}),
    CheckBox("EnableRestoreWindow", &Settings::EnableRestoreWindow, RestoreWindowCheck,
             L"Restore window position", {215, 147, 135, 20}),
}};

const Preference* PreferenceOf(int32_t Settings::*field) {
    for (const Preference& p : kPreferences)
        if (p.field == field) return &p;
    return nullptr;
}
