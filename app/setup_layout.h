// Where the Setup page's controls go and what they say: how each preference is shown, and one
// table of all controls in creation order (which is also the Tab order), read by the page that
// builds them and by its tests.
#pragma once
#include <array>
#include <cstddef>
#include <vector>

#include "app/layout.h"
#include "settings/preferences.h"

// How the Preferences tab shows a preference: its check box, or the group box around its option
// buttons, and an option group's buttons in the order of the preference's values, each with its
// caption and its place at 96 DPI in the tab control's page area.
struct OptionLook {
    int control;
    const wchar_t* caption;
    Box place;
};
struct PreferenceLook {
    int32_t Settings::*field;
    int control;
    const wchar_t* caption;
    Box place;
    std::array<OptionLook, 3> options; // none for a check box
};
// Row i shows kPreferences[i].
extern const std::array<PreferenceLook, kPreferenceCount> kPreferenceLooks;

enum class PanelKind { GroupBox, FirstOption, Option, CheckBox, Field, Button, Text };

struct PanelControl {
    int id;
    int page;
    PanelKind kind;
    const wchar_t* text;
    int x, y, width, height;
};

// The table: the option groups and check boxes of the preference table with the page's other
// controls, in creation order.
const std::vector<PanelControl>& PanelControls();

// A control's place relative to the tab control's page area, for a tab control of the given size:
// the frames of the last two pages and the About text follow that size.
Box PlaceOf(const PanelControl& control, int tabsWidth, int tabsHeight);

// A "..." button, the edit field its chosen file goes into, and the button that the choice
// enables.
struct BrowseRow {
    int browse;
    int field;
    int action;
};
// The row of a browse button; null for any other control.
const BrowseRow* BrowseRowOf(int id);
