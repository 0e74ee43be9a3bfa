// Child-window identifiers of every control of the main window, in one list that needs no
// windows.h: the program, its in-process tests and the tests that drive it from outside all name
// the controls from here.
#pragma once

// The task page, and the lists of the other pages.
// Three names say less than their controls do: the TaskFrame frames every page, the
// TerminateButton is Back on the other pages and the InfoButton is Export on the export page.
enum ControlId : int {
    TaskFrame = 0,
    BannerImage = 1,
    TerminateButton = 2,
    RefreshButton = 3,
    DetectButton = 4,
    ClearButton = 5,
    InfoButton = 6,
    SetupButton = 7,
    TaskList = 8,
    LogList = 9,
    ModuleList = 10,
    ExportList = 11,
    SetupTabs = 12,
    HomepageLine = 13,
};

// The Setup page's controls (the tab control itself is SetupTabs).
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

// The Setup page's tabs, in order.
enum SetupPage : int { PreferencesPage = 0, ToolsPage = 1, AboutPage = 2 };
