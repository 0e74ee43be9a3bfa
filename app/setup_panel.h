// The Setup page: preferences, tools and about.
#pragma once

// Control IDs of the Setup page's controls (the tab control itself is SetupTabs, 12).
enum SetupControlId : int {
    AskFrame = 14,
    AskEveryTimeOption = 15,
    AskCriticalOption = 16,
    AskNeverOption = 17,
    StyleFrame = 18,
    StyleNumberOption = 19,
    StyleTimeOption = 20,
    StyleNoneOption = 21,
    MiscFrame = 22,
    TaskTerminateCheck = 23,
    TaskFreezeCheck = 24,
    DetectOwnTaskCheck = 25,
    ShowInfoCheck = 26,
    SaveInfoCheck = 27,
    RestoreWindowCheck = 28,
    ToolsFrame = 29,
    DllField = 30,
    ShowButton = 31,
    DllBrowseButton = 32,
    CommandField = 33,
    StartButton = 34,
    CommandBrowseButton = 35,
    AboutFrame = 36,
    AboutTextLabel = 37,
};

// Shows the Setup page and runs its loop until Back (or the window is closed).
void RunSetupPanel();

// Shows the controls of the selected tab and hides the others; hides them all while the tab
// control itself is hidden. Called whenever the tab control's selection or visibility changes.
void ShowSelectedSetupTab() noexcept;
