#include "app/setup_layout.h"

#include "app/control_ids.h"

const PanelControl kPanelControls[] = {
    {AskFrame, PreferencesPage, PanelKind::GroupBox, L"Message before terminate", 5, 10, 210, 77},
    {AskEveryTimeOption, PreferencesPage, PanelKind::FirstOption,
     L"Every time a task will be terminate", 13, 26, 180, 20},
    {AskCriticalOption, PreferencesPage, PanelKind::Option, L"Only when terminate critical task",
     13, 44, 180, 20},
    {AskNeverOption, PreferencesPage, PanelKind::Option, L"Never ever ask (very dangerous)", 13, 62,
     180, 20},
    {StyleFrame, PreferencesPage, PanelKind::GroupBox, L"Style of info", 222, 10, 141, 77},
    {StyleNumberOption, PreferencesPage, PanelKind::FirstOption, L"Number of entry", 230, 26, 110,
     20},
    {StyleTimeOption, PreferencesPage, PanelKind::Option, L"Time when entry", 230, 44, 110, 20},
    {StyleNoneOption, PreferencesPage, PanelKind::Option, L"None (how boring)", 230, 62, 110, 20},
    {MiscFrame, PreferencesPage, PanelKind::GroupBox, L"Misc", 5, 95, 358, 77},
    {TaskTerminateCheck, PreferencesPage, PanelKind::CheckBox, L"Enable task terminate (private)",
     13, 111, 165, 20},
    {TaskFreezeCheck, PreferencesPage, PanelKind::CheckBox, L"Freeze task before terminate", 13,
     129, 165, 20},
    {DetectOwnTaskCheck, PreferencesPage, PanelKind::CheckBox, L"Never detect own task (finish)",
     13, 147, 165, 20},
    {ShowInfoCheck, PreferencesPage, PanelKind::CheckBox, L"Show log-informations", 215, 111, 135,
     20},
    {SaveInfoCheck, PreferencesPage, PanelKind::CheckBox, L"Save log-informations", 215, 129, 135,
     20},
    {RestoreWindowCheck, PreferencesPage, PanelKind::CheckBox, L"Restore window position", 215, 147,
     135, 20},
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

const size_t kPanelControlCount = sizeof kPanelControls / sizeof kPanelControls[0];

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
