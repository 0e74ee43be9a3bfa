#include "app/main_window.h"

#include "app/layout.h"
#include "app/setup_panel.h"
#include "base/wide_text.h"
#include "exports/export_viewer.h"
#include "settings/settings.h"

#include "morvane_version.h"

#include <cwchar>

HFONT g_SmallFont;
HFONT g_TitleFont;
HBITMAP g_BannerBitmap;
const char* const ProgramVersion = MORVANE_VERSION_TEXT;

namespace {

const wchar_t kWindowClass[] = L"MorvaneMainWindow";
const DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const int kClientWidth = 410;
const int kClientHeight = 400;
const int kClientHeightWithoutLog = 324;
const wchar_t kHomepageLine[] = L"-= Homepage: http://morvane.quillfen.example =-";
const wchar_t kBannerSubtitle[] = L"Small, fast and trustworthy task manager";

// The task frame from which the task page's geometry follows.
const RECT kFrame = {10, 55, 10 + 390, 55 + 237};

SIZE OuterSize(int clientWidth, int clientHeight) {
    RECT r = {0, 0, clientWidth, clientHeight};
    DWORD style = g_MainWindow ? (DWORD)GetWindowLongPtrW(g_MainWindow, GWL_STYLE) : kWindowStyle;
    DWORD exStyle = g_MainWindow ? (DWORD)GetWindowLongPtrW(g_MainWindow, GWL_EXSTYLE) : 0;
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

HFONT CreateArialFont(int points, int weight) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"Arial");
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // Only notifications from child controls are events; the code itself is not examined.
        if (lParam != 0) PushEvent({EventKind::Command, LOWORD(wParam)});
        return 0;
    case WM_NOTIFY: {
        // The control that sent it answers through the handler its page registered (the export
        // list's cells, the Setup page's tabs).
        bool handled = false;
        const LRESULT result = HandleNotify(lParam, handled);
        return handled ? result : DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_CLOSE:
        // The loops run Shutdown; the window must stay until then.
        PushEvent({EventKind::Close, -1});
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The system may end the process as soon as this returns, with no close event for the
        // loops: keep the session now, once.
        if (wParam) SaveSession();
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

bool CreateMainWindow() {
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = g_Instance;
    wc.hIcon = LoadIconW(g_Instance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassW(&wc);

    SIZE outer = OuterSize(kClientWidth, kClientHeight);
    Point origin = CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  outer.cx, outer.cy);
    g_MainWindow = CreateWindowExW(0, kWindowClass, L"Morvane", kWindowStyle, origin.x, origin.y,
                                   outer.cx, outer.cy, nullptr, nullptr, g_Instance, nullptr);
    return g_MainWindow != nullptr;
}

void DrawBanner() {
    if (Control(BannerImage)) return;
    const int width = 388;
    const int height = 40;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    g_BannerBitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = SelectObject(dc, g_BannerBitmap);
    PatBlt(dc, 0, 0, width, height, BLACKNESS);

    for (int i = 0; i <= 194; ++i) {
        std::pair<int, int> shade = BannerShades(i);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, shade.first, shade.first));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        MoveToEx(dc, i, 0, nullptr);
        LineTo(dc, i + 1, height);
        SelectObject(dc, oldPen);
        DeleteObject(pen);

        pen = CreatePen(PS_SOLID, 1, RGB(0, shade.second, shade.second));
        oldPen = SelectObject(dc, pen);
        MoveToEx(dc, width - i, 0, nullptr);
        LineTo(dc, width + 1 - i, height);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    HGDIOBJ oldFont = SelectObject(dc, g_TitleFont);
    TextOutW(dc, 8, 4, L"Morvane", 7);
    SelectObject(dc, g_SmallFont);
    TextOutW(dc, 8, 25, kBannerSubtitle, static_cast<int>(wcslen(kBannerSubtitle)));
    SIZE versionSize = {};
    const std::wstring version = AsciiWide(ProgramVersion);
    const int versionLength = static_cast<int>(version.size());
    GetTextExtentPoint32W(dc, version.c_str(), versionLength, &versionSize);
    TextOutW(dc, width - versionSize.cx - 10, 25, version.c_str(), versionLength);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);

    HWND banner = CreateControl(WS_EX_CLIENTEDGE, L"STATIC", L"",
                                WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_BITMAP, 10, 5, width + 4,
                                height + 4, BannerImage, nullptr);
    SendMessageW(banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(g_BannerBitmap));
    // The static resizes itself to the bitmap; pin it to the bitmap plus its sunken edge.
    SetWindowPos(banner, nullptr, 10, 5, width + 4, height + 4, SWP_NOZORDER | SWP_NOACTIVATE);
}

void BuildTaskPage() {
    g_SmallFont = CreateArialFont(7, FW_NORMAL);
    g_TitleFont = CreateArialFont(11, FW_BOLD);
    DrawBanner();

    const int fx = kFrame.left, fy = kFrame.top;
    const int fw = kFrame.right - kFrame.left, fh = kFrame.bottom - kFrame.top;
    CreateControl(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX | WS_GROUP, fx, fy, fw, fh,
                  TaskFrame);

    RECT listRect = {fx + 8, fy + 16, fx + fw - 8, fy + fh - 10};
    HWND list = CreateListView(TaskList, listRect, LVS_SHAREIMAGELISTS,
                               LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    const struct {
        const wchar_t* title;
        int width;
    } columns[] = {{L"Task", 133},     {L"Rights", 50}, {L"PID", 50},   {L"Priority", 50},
                   {L"Size (KB)", 70}, {L"Base", 80},   {L"DLL's", 45}, {L"Filename", fw - 40}};
    for (int i = 0; i < 8; ++i)
        AddListColumn(list, i, columns[i].title, columns[i].width);

    const struct {
        int id;
        const wchar_t* text;
    } buttons[] = {{DetectButton, L"Detect"},   {ClearButton, L"Clear"},
                   {RefreshButton, L"Refresh"}, {SetupButton, L"Setup"},
                   {InfoButton, L"Info"},       {TerminateButton, L"Terminate"}};
    const int step = fw / 6;
    for (int i = 0; i < 6; ++i) {
        int width = i < 5 ? step - 3 : step;
        CreateControl(0, L"BUTTON", buttons[i].text,
                      WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, fx + i * step,
                      fy + fh + 6, width, 20, buttons[i].id);
    }

    CreateControl(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                  WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT |
                      WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP,
                  fx, fy + fh + 32, fw, 56, LogList);

    CreateControl(0, L"STATIC", kHomepageLine, WS_CHILD | WS_VISIBLE | SS_CENTER | WS_GROUP, 0, 384,
                  kClientWidth, 12, HomepageLine, g_SmallFont);
    EnableControl(HomepageLine, false);
}

void ApplyLogVisibility() {
    SIZE outer = OuterSize(kClientWidth,
                           g_Settings.EnableShowInfo ? kClientHeight : kClientHeightWithoutLog);
    SetWindowPos(g_MainWindow, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
