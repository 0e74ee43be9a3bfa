// Where the Setup page's controls go: one table, in creation order (which is also the Tab order),
// read by the page that builds them and by its tests.
#pragma once
#include <cstddef>
#include <vector>

#include "app/layout.h"

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
