// A window with one control of each kind the driver works, for the driver's own tests. What the
// user does shows in the status line (ID 105), so a test can tell that its action arrived:
//   "tab N" after the tab selection changed, "count N" after N clicks on Count,
//   "answer N" with the message box's result, "saved:PATH" or "cancelled" after the save dialog.
// Closing the window ends the program with exit code 7. comctl32 and comdlg32 are loaded at run
// time, so the helper links with user32 alone.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include "driver_target_ids.h"

namespace {

// Solid colour painted at the swatch's place, for the screen capture test.
const COLORREF kSwatchColour = RGB(10, 200, 30);
const RECT kSwatch = {300, 200, 340, 230};

HWND g_Window;
int g_Count;

void SetStatus(const char* text) {
    SetDlgItemTextA(g_Window, IdStatus, text);
}

HWND Make(const char* cls, const char* text, DWORD style, DWORD exStyle, int x, int y, int w, int h,
          int id) {
    return CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, g_Window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

void BuildControls() {
    HWND list = Make(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                     WS_EX_CLIENTEDGE, 10, 10, 270, 100, IdList);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const char* titles[] = {"Name", "Value", "Note"};
    const int widths[] = {80, 60, 120};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = c == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = widths[c];
        column.pszText = const_cast<char*>(titles[c]);
        column.iSubItem = c;
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    const char* cells[3][3] = {{"alpha", "1", "first row"},
                               {"beta", "22", ""},
                               {"gamma", "-333", "a longer note for the third row"}};
    for (int r = 0; r < 3; ++r) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<char*>(cells[r][0]);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (int c = 1; c < 3; ++c) {
            item.iSubItem = c;
            item.pszText = const_cast<char*>(cells[r][c]);
            SendMessageA(list, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&item));
        }
    }
    LVITEMA state = {};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(2);
    SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));

    HWND lines = Make("LISTBOX", "", LBS_NOTIFY | LBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP,
                      WS_EX_CLIENTEDGE, 10, 120, 270, 60, IdLines);
    SendMessageA(lines, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Initialized tasks: 3"));
    SendMessageA(lines, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(lines, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Last line..."));
    SendMessageA(lines, LB_SETCURSEL, 2, 0);

    HWND tabs = Make(WC_TABCONTROLA, "", WS_TABSTOP, 0, 290, 10, 200, 60, IdTabs);
    const char* tabTitles[] = {"One", "Two", "Three"};
    for (int t = 0; t < 3; ++t) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tabTitles[t]);
        SendMessageA(tabs, TCM_INSERTITEMA, t, reinterpret_cast<LPARAM>(&item));
    }

    Make("BUTTON", "Ask", BS_PUSHBUTTON | WS_TABSTOP, 0, 10, 190, 60, 22, IdAsk);
    Make("BUTTON", "Check", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 80, 190, 70, 22, IdCheck);
    Make("BUTTON", "Save", BS_PUSHBUTTON | WS_TABSTOP, 0, 160, 190, 60, 22, IdSave);
    Make("BUTTON", "Count", BS_PUSHBUTTON | WS_TABSTOP, 0, 230, 190, 60, 22, IdCount);
    HWND disabled =
        Make("BUTTON", "Never", BS_PUSHBUTTON | WS_TABSTOP, 0, 10, 220, 60, 22, IdDisabled);
    EnableWindow(disabled, FALSE);
    Make("EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 80, 220, 140, 22, IdEdit);
    Make("STATIC", "ready", SS_LEFT, 0, 10, 250, 300, 18, IdStatus);
}

void AskQuestion() {
    const int answer =
        MessageBoxA(g_Window, "Really do it?", "Question", MB_YESNOCANCEL | MB_ICONQUESTION);
    char text[32];
    std::snprintf(text, sizeof text, "answer %d", answer);
    SetStatus(text);
}

void SaveFile() {
    using SaveProc = BOOL(WINAPI*)(LPOPENFILENAMEA);
    HMODULE dialogs = LoadLibraryA("comdlg32.dll");
    auto save = dialogs ? reinterpret_cast<SaveProc>(
                              reinterpret_cast<void*>(GetProcAddress(dialogs, "GetSaveFileNameA")))
                        : nullptr;
    if (!save) {
        SetStatus("no dialog");
        return;
    }
    char file[MAX_PATH] = "report.txt";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = g_Window;
    ofn.lpstrFilter = "Text files\0*.txt\0All files\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (save(&ofn)) {
        char text[MAX_PATH + 16];
        std::snprintf(text, sizeof text, "saved:%s", file);
        SetStatus(text);
    } else {
        SetStatus("cancelled");
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) break;
        switch (LOWORD(wParam)) {
        case IdAsk:
            AskQuestion();
            return 0;
        case IdSave:
            SaveFile();
            return 0;
        case IdCount: {
            char text[32];
            std::snprintf(text, sizeof text, "count %d", ++g_Count);
            SetStatus(text);
            return 0;
        }
        case IdDisabled:
            SetStatus("disabled button clicked");
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IdTabs && header->code == TCN_SELCHANGE) {
            char text[32];
            std::snprintf(text, sizeof text, "tab %d",
                          static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
            SetStatus(text);
        }
        break;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(kSwatchColour);
        FillRect(dc, &kSwatch, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(7);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using InitProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE controls = LoadLibraryA("comctl32.dll");
    auto init = controls ? reinterpret_cast<InitProc>(reinterpret_cast<void*>(
                               GetProcAddress(controls, "InitCommonControlsEx")))
                         : nullptr;
    if (!init) return 3;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    init(&icc);

    WNDCLASSA cls = {};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = "DriverTarget";
    if (!RegisterClassA(&cls)) return 3;
    g_Window =
        CreateWindowExA(0, "DriverTarget", "Driver Target", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                        40, 40, 520, 320, nullptr, nullptr, instance, nullptr);
    if (!g_Window) return 3;
    BuildControls();
    ShowWindow(g_Window, SW_SHOWNORMAL);
    UpdateWindow(g_Window);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(g_Window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
