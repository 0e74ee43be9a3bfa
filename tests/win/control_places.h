// The window's controls where the layout puts them at 96 DPI, as literal tables: the task page
// in the client area, the Setup page in its tab control's page area. Tests of both Windows tiers
// compare what they see with these, at a scaled display times its scale.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include "ui/control_ids.h"

namespace places {

struct TaskPageControl {
    int id;
    const char* className;
    int x, y, w, h;
    DWORD style;   // bits that must be set
    DWORD noStyle; // bits that must be clear
    DWORD exStyle; // extended bits that must be set
    const char* text;
};

// The task page: every control at its place, with its class, style bits and text.
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP;
inline const TaskPageControl kTaskPage[] = {
    {BannerImage, "Static", 10, 5, 392, 44, WS_CHILD | WS_VISIBLE | SS_NOTIFY, WS_TABSTOP,
     WS_EX_CLIENTEDGE, ""},
    {TaskFrame, "Button", 10, 55, 390, 237, WS_CHILD | WS_VISIBLE | BS_GROUPBOX | WS_GROUP,
     WS_TABSTOP, 0, nullptr},
    {TaskList, "SysListView32", 18, 71, 374, 211,
     WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
         WS_TABSTOP,
     0, WS_EX_CLIENTEDGE, ""},
    {DetectButton, "Button", 10, 298, 62, 20, kButton, 0, 0, "Detect"},
    {ClearButton, "Button", 75, 298, 62, 20, kButton, 0, 0, "Clear"},
    {RefreshButton, "Button", 140, 298, 62, 20, kButton, 0, 0, "Refresh"},
    {SetupButton, "Button", 205, 298, 62, 20, kButton, 0, 0, "Setup"},
    {InfoButton, "Button", 270, 298, 62, 20, kButton, 0, 0, "Info"},
    {TerminateButton, "Button", 335, 298, 65, 20, kButton, 0, 0, "Terminate"},
    // A list box shows its scroll bars only when it needs them, and the scroll-bar style bits go
    // with them, so they are not looked for here.
    {LogList, "ListBox", 10, 324, 390, 56,
     WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_TABSTOP |
         WS_GROUP,
     LBS_SORT, WS_EX_CLIENTEDGE, nullptr},
    {HomepageLine, "Static", 0, 384, 410, 12, WS_CHILD | WS_VISIBLE | SS_CENTER | WS_GROUP,
     WS_TABSTOP, 0, nullptr},
};

// The page as built, in creation order: each control's tab (0 Preferences, 1 Tools, 2 About),
// class, BS_/SS_ type bits (-1: not looked at), text (the fields' hints) and place in the tab's
// page area. The TaskList it replaces is 374 x 211, so the two frames are 354 x 181 and the About
// text starts at 374 / 2 - 160.
struct PageControl {
    int id, page;
    const char* className;
    LONG_PTR type;
    const char* text; // null: not looked at
    int x, y, width, height;
};
constexpr LONG_PTR kOption = BS_AUTORADIOBUTTON, kCheck = BS_AUTOCHECKBOX;
inline const PageControl kSetupPage[] = {
    {AskFrame, 0, "Button", BS_GROUPBOX, "Message before terminate", 5, 10, 210, 77},
    {AskEveryTimeOption, 0, "Button", kOption, "Every time a task will be terminate", 13, 26, 180,
     20},
    {AskCriticalOption, 0, "Button", kOption, "Only when terminate critical task", 13, 44, 180, 20},
    {AskNeverOption, 0, "Button", kOption, "Never ever ask (very dangerous)", 13, 62, 180, 20},
    {StyleFrame, 0, "Button", BS_GROUPBOX, "Style of info", 222, 10, 141, 77},
    {StyleNumberOption, 0, "Button", kOption, "Number of entry", 230, 26, 110, 20},
    {StyleTimeOption, 0, "Button", kOption, "Time when entry", 230, 44, 110, 20},
    {StyleNoneOption, 0, "Button", kOption, "None (how boring)", 230, 62, 110, 20},
    {MiscFrame, 0, "Button", BS_GROUPBOX, "Misc", 5, 95, 358, 77},
    {TaskTerminateCheck, 0, "Button", kCheck, "Enable task terminate (private)", 13, 111, 165, 20},
    {TaskFreezeCheck, 0, "Button", kCheck, "Freeze task before terminate", 13, 129, 165, 20},
    {DetectOwnTaskCheck, 0, "Button", kCheck, "Never detect own task (finish)", 13, 147, 165, 20},
    {ShowInfoCheck, 0, "Button", kCheck, "Show log-informations", 215, 111, 135, 20},
    {SaveInfoCheck, 0, "Button", kCheck, "Save log-informations", 215, 129, 135, 20},
    {RestoreWindowCheck, 0, "Button", kCheck, "Restore window position", 215, 147, 135, 20},
    {ToolsFrame, 1, "Button", BS_GROUPBOX, "", 8, 0, 354, 181},
    {CommandField, 1, "Edit", -1, "Create a new task", 18, 17, 237, 18},
    {StartButton, 1, "Button", BS_PUSHBUTTON, "Start", 262, 16, 55, 20},
    {CommandBrowseButton, 1, "Button", BS_PUSHBUTTON, "...", 321, 16, 30, 20},
    {DllField, 1, "Edit", -1, "Show functions of a DLL", 18, 49, 237, 18},
    {ShowButton, 1, "Button", BS_PUSHBUTTON, "Show", 262, 48, 55, 20},
    {DllBrowseButton, 1, "Button", BS_PUSHBUTTON, "...", 321, 48, 30, 20},
    {AboutFrame, 2, "Button", BS_GROUPBOX, "", 8, 0, 354, 181},
    {AboutTextLabel, 2, "Static", SS_CENTER, nullptr, 27, 16, 320, 163},
};

} // namespace places
