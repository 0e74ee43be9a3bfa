#include "app/setup_layout.h"

#include "settings/preferences.h"

#include "ui/control_ids.h"

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

PanelControl ControlAt(int id, int page, PanelKind kind, const wchar_t* text,
                       const PreferencePlace& at) {
    return {id, page, kind, text, at.x, at.y, at.width, at.height};
}

std::vector<PanelControl> BuildPanelControls() {
    std::vector<PanelControl> controls;
    for (const Preference& p : kPreferences) {
        if (p.kind != PreferenceKind::OptionGroup) continue;
        controls.push_back(ControlAt(p.control, p.page, PanelKind::GroupBox, p.caption, p.place));
        for (size_t i = 0; i < p.options.size(); ++i) {
            const PreferenceOption& o = p.options[i];
            // The first option of each group starts a new group of its own.
            controls.push_back(ControlAt(o.control, p.page,
                                         i == 0 ? PanelKind::FirstOption : PanelKind::Option,
                                         o.caption, o.place));
        }
    }
    controls.push_back(kMiscFrame);
    for (const Preference& p : kPreferences)
        if (p.kind == PreferenceKind::CheckBox)
            controls.push_back(
                ControlAt(p.control, p.page, PanelKind::CheckBox, p.caption, p.place));
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
