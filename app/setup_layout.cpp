#include "app/setup_layout.h"

#include "ui/control_ids.h"

namespace {

constexpr PreferenceLook CheckBoxLook(int32_t Settings::*field, int control, const wchar_t* caption,
                                      Box place) {
    return {field, control, caption, place, {}};
}

} // namespace

constexpr std::array<PreferenceLook, kPreferenceCount> kPreferenceLooks = {{
    {&Settings::AskTerminate,
     AskFrame,
     L"Message before terminate",
     {5, 10, 210, 77},
     {{{AskEveryTimeOption, L"Every time a task will be terminate", {13, 26, 180, 20}},
       {AskCriticalOption, L"Only when terminate critical task", {13, 44, 180, 20}},
       {AskNeverOption, L"Never ever ask (very dangerous)", {13, 62, 180, 20}}}}},
    {&Settings::LogInfoStyle,
     StyleFrame,
     L"Style of info",
     {222, 10, 141, 77},
     {{{StyleNumberOption, L"Number of entry", {230, 26, 110, 20}},
       {StyleTimeOption, L"Time when entry", {230, 44, 110, 20}},
       {StyleNoneOption, L"None (how boring)", {230, 62, 110, 20}}}}},
    CheckBoxLook(&Settings::EnableTaskTerminate, TaskTerminateCheck,
                 L"Enable task terminate (private)", {13, 111, 165, 20}),
    CheckBoxLook(&Settings::EnableTaskFreeze, TaskFreezeCheck, L"Freeze task before terminate",
                 {13, 129, 165, 20}),
    CheckBoxLook(&Settings::EnableDetectOwnTask, DetectOwnTaskCheck,
                 L"Never detect own task (finish)", {13, 147, 165, 20}),
    CheckBoxLook(&Settings::EnableShowInfo, ShowInfoCheck, L"Show log-informations",
                 {215, 111, 135, 20}),
    CheckBoxLook(&Settings::EnableSaveInfo, SaveInfoCheck, L"Save log-informations",
                 {215, 129, 135, 20}),
    CheckBoxLook(&Settings::EnableRestoreWindow, RestoreWindowCheck, L"Restore window position",
                 {215, 147, 135, 20}),
}};

static_assert(
    [] {
        for (size_t i = 0; i < kPreferenceCount; ++i)
            if (kPreferenceLooks[i].field != kPreferences[i].field) return false;
        return true;
    }(),
    "a look for each preference, in the order of kPreferences");

namespace {

// The controls of the Setup page that are no preference, in creation order after the option
// groups (the Misc frame, before the check boxes it holds) and after the check boxes.
const PanelControl kMiscFrame = {
    MiscFrame, PreferencesPage, PanelKind::GroupBox, L"Misc", 5, 95, 358, 77};
const PanelControl kToolsAndAbout[] = {
    {ToolsFrame, ToolsPage, PanelKind::GroupBox, L"", 8, 0, 0, 0},
    {CommandField, ToolsPage, PanelKind::Field, L"Create a new task", 18, 17, 237, 18},
    {StartButton, ToolsPage, PanelKind::Button, L"Start", 262, 16, 55, 20},
    {CommandBrowseButton, ToolsPage, PanelKind::Button, L"...", 321, 16, 30, 20},
    {DllField, ToolsPage, PanelKind::Field, L"Show functions of a DLL", 18, 49, 237, 18},
    {ShowButton, ToolsPage, PanelKind::Button, L"Show", 262, 48, 55, 20},
    {DllBrowseButton, ToolsPage, PanelKind::Button, L"...", 321, 48, 30, 20},
    {AboutFrame, AboutPage, PanelKind::GroupBox, L"", 8, 0, 0, 0},
    {AboutTextLabel, AboutPage, PanelKind::Text, L"", 0, 16, 320, 163},
};

// A control of the Preferences tab.
PanelControl ControlAt(int id, PanelKind kind, const wchar_t* text, const Box& at) {
    return {id, PreferencesPage, kind, text, at.x, at.y, at.width, at.height};
}

std::vector<PanelControl> BuildPanelControls() {
    std::vector<PanelControl> controls;
    for (size_t p = 0; p < kPreferenceCount; ++p) {
        const PreferenceLook& look = kPreferenceLooks[p];
        if (kPreferences[p].kind != PreferenceKind::OptionGroup) continue;
        controls.push_back(ControlAt(look.control, PanelKind::GroupBox, look.caption, look.place));
        for (size_t i = 0; i < look.options.size(); ++i) {
            const OptionLook& o = look.options[i];
            // The first option of each group starts a new group of its own.
            controls.push_back(ControlAt(o.control,
                                         i == 0 ? PanelKind::FirstOption : PanelKind::Option,
                                         o.caption, o.place));
        }
    }
    controls.push_back(kMiscFrame);
    for (size_t p = 0; p < kPreferenceCount; ++p)
        if (kPreferences[p].kind == PreferenceKind::CheckBox)
            controls.push_back(ControlAt(kPreferenceLooks[p].control, PanelKind::CheckBox,
                                         kPreferenceLooks[p].caption, kPreferenceLooks[p].place));
    controls.insert(controls.end(), std::begin(kToolsAndAbout), std::end(kToolsAndAbout));
    return controls;
}

} // namespace

const std::vector<PanelControl>& PanelControls() {
    static const std::vector<PanelControl> controls = BuildPanelControls();
    return controls;
}

Box PlaceOf(const PanelControl& control, int tabsWidth, int tabsHeight) {
    Box place = {control.x, control.y, control.width, control.height};
    if (control.id == ToolsFrame || control.id == AboutFrame) {
        place.width = tabsWidth - 20;
        place.height = tabsHeight - 30;
    }
    if (control.id == AboutTextLabel) place.x = tabsWidth / 2 - 160;
    return place;
}

namespace {

const BrowseRow kBrowseRows[] = {
    {CommandBrowseButton, CommandField, StartButton},
    {DllBrowseButton, DllField, ShowButton},
};

} // namespace

const BrowseRow* BrowseRowOf(int id) {
    for (const BrowseRow& row : kBrowseRows)
        if (row.browse == id) return &row;
    return nullptr;
}
