#include "app/main_window.h"

#include "app/caption_fit.h"
#include "app/layout.h"
#include "app/setup_panel.h"
#include "base/bound_entry_win.h"
#include "base/gdi_win.h"
#include "base/wide_text.h"
#include "proc/frozen_threads_win.h"
#include "settings/settings.h"
#include "tasks/task_rules.h"
#include "ui/accessible_name.h"
#include "ui/focus.h"
#include "ui/list_view.h"

#include "morvane_version.h"

#include <cwchar>
#include <utility>
#include <vector>

GdiBitmap g_BannerBitmap;
const char* const ProgramVersion = MORVANE_VERSION_TEXT;
SystemParametersFn g_SystemParameters = SystemParametersInfoW;

namespace {

const wchar_t kWindowClass[] = L"MorvaneMainWindow";
// WM_DPICHANGED, which the headers of the oldest systems the program runs on lack.
constexpr UINT kDpiChanged = 0x02E0;
const DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const wchar_t kHomepageLine[] = L"-= Homepage: http://morvane.quillfen.example =-";
const wchar_t kBannerSubtitle[] = L"Small, fast and trustworthy task manager";
// The banner picture at 96 DPI.
const int kBannerWidth = 388;
const int kBannerHeight = 40;

// The banner's title font; the controls' fonts are kept with the controls (ui/window.h).
GdiFont g_TitleFont;

// Entry points of newer systems, bound at run time so that the program still starts on older
// ones.
template <typename Fn> Fn User32Entry(const char* name) {
    return BoundEntry<Fn>(GetModuleHandleW(L"user32.dll"), name);
}

// The DPI the system made its fonts and metrics for.
int ScreenDpi() {
    const ScreenDc screen(GetDC(nullptr));
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : kLayoutDpi;
}

int WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Entry<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const int dpi = getDpiForWindow ? static_cast<int>(getDpiForWindow(window)) : 0;
    return dpi > 0 ? dpi : ScreenDpi();
}

SIZE OuterSize(int clientWidth, int clientHeight) {
    RECT r = {0, 0, clientWidth, clientHeight};
    RECT window = {};
    RECT client = {};
    // The frame as the window has it: the system sizes it for the monitor the window is on.
    if (g_MainWindow && !IsIconic(g_MainWindow) && GetWindowRect(g_MainWindow, &window) &&
        GetClientRect(g_MainWindow, &client)) {
        return {clientWidth + (window.right - window.left) - client.right,
                clientHeight + (window.bottom - window.top) - client.bottom};
    }
    DWORD style = g_MainWindow ? (DWORD)GetWindowLongPtrW(g_MainWindow, GWL_STYLE) : kWindowStyle;
    DWORD exStyle = g_MainWindow ? (DWORD)GetWindowLongPtrW(g_MainWindow, GWL_EXSTYLE) : 0;
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

GdiFont CreateArialFont(int points, int weight) {
    return GdiFont(CreateFontW(FontHeight(points, g_Dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial"));
}

// The width and line height of texts in `font` made `height` pixels high.
TextExtent MeasureInFont(LOGFONTW font, const std::wstring& line, int height) {
    font.lfHeight = font.lfHeight > 0 ? height : -height;
    const GdiFont made(CreateFontIndirectW(&font));
    const MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!made.Valid() || !dc.Valid()) return {0, 0};
    const Selection measuring(dc.Get(), made.Get());
    SIZE size = {};
    TEXTMETRICW metrics = {};
    GetTextExtentPoint32W(dc.Get(), line.c_str(), static_cast<int>(line.size()), &size);
    GetTextMetricsW(dc.Get(), &metrics);
    return {size.cx, metrics.tmHeight};
}

// The default GUI font where the system made it for the layout's DPI (none: the controls take the
// system's own). At any other DPI the same font made larger or smaller for it, and where the
// captions outgrow their controls at that height, a pixel or two smaller: the layout keeps its
// exact scaled places.
GdiFont CreateDialogFont() {
    const HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const int systemDpi = ScreenDpi();
    LOGFONTW font = {};
    if ((g_Dpi == systemDpi && g_Dpi == kLayoutDpi) || !GetObjectW(stock, sizeof font, &font))
        return GdiFont();
    font.lfWidth = MulDiv(font.lfWidth, g_Dpi, systemDpi);
    const int scaled = MulDiv(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight, g_Dpi, systemDpi);
    int height = scaled;
    if (g_Dpi != kLayoutDpi) {
        const MeasureText measure = [&font](const std::wstring& line, int h) {
            return MeasureInFont(font, line, h);
        };
        height = FittingFontHeight(WindowCaptions(AboutLabelText()), g_Dpi, scaled, measure);
    }
    font.lfHeight = font.lfHeight > 0 ? height : -height;
    return GdiFont(CreateFontIndirectW(&font));
}

// Makes the fonts for g_Dpi; gives back the controls' fonts made before, which the controls use
// until PlaceControls hands them the new ones.
ControlFonts MakeFonts() {
    g_TitleFont = CreateArialFont(11, FW_BOLD);
    return SetControlFonts({CreateDialogFont(), CreateArialFont(7, FW_NORMAL)});
}

// A line of the gradient, one pixel wide, from the top at x to the bottom at x + 1.
void DrawGradientLine(HDC dc, int x, int shade) {
    const GdiPen pen(CreatePen(PS_SOLID, 1, RGB(0, shade, shade)));
    const Selection drawing(dc, pen.Get());
    MoveToEx(dc, x, 0, nullptr);
    LineTo(dc, x + 1, kBannerHeight);
}

// The gradient of the banner at its 96-DPI size.
GdiBitmap PlainBanner(HDC screen) {
    GdiBitmap plain(CreateCompatibleBitmap(screen, kBannerWidth, kBannerHeight));
    const MemoryDc dc(CreateCompatibleDC(screen));
    const Selection drawing(dc.Get(), plain.Get());
    PatBlt(dc.Get(), 0, 0, kBannerWidth, kBannerHeight, BLACKNESS);
    for (int i = 0; i <= 194; ++i) {
        const std::pair<int, int> shade = BannerShades(i);
        DrawGradientLine(dc.Get(), i, shade.first);
        DrawGradientLine(dc.Get(), kBannerWidth - i, shade.second);
    }
    return plain;
}

bool HighContrast() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    return g_SystemParameters(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// The banner picture for a client area of the given size: the gradient stretched to it (the same
// picture at every DPI), the texts in the window's fonts at their scaled places. In high contrast
// the user's colours replace the fixed ones: the highlight colour behind the highlight text colour.
GdiBitmap MakeBanner(int width, int height) {
    const bool contrast = HighContrast();
    const ScreenDc screen(GetDC(nullptr));
    GdiBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    const MemoryDc dc(CreateCompatibleDC(screen.Get()));
    const Selection drawing(dc.Get(), bitmap.Get());
    if (contrast) {
        const RECT all = {0, 0, width, height};
        FillRect(dc.Get(), &all, GetSysColorBrush(COLOR_HIGHLIGHT));
    } else {
        const GdiBitmap plain = PlainBanner(screen.Get());
        const MemoryDc plainDc(CreateCompatibleDC(screen.Get()));
        const Selection source(plainDc.Get(), plain.Get());
        SetStretchBltMode(dc.Get(), COLORONCOLOR);
        StretchBlt(dc.Get(), 0, 0, width, height, plainDc.Get(), 0, 0, kBannerWidth, kBannerHeight,
                   SRCCOPY);
    }
    SetBkMode(dc.Get(), TRANSPARENT);
    SetTextColor(dc.Get(), contrast ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(255, 255, 255));
    const Selection title(dc.Get(), g_TitleFont.Get());
    const int left = Scaled(8, g_Dpi);
    TextOutW(dc.Get(), left, Scaled(4, g_Dpi), L"Morvane", 7);
    const Selection smallText(dc.Get(), FontOf(ControlFont::Small));
    const int lineTop = Scaled(25, g_Dpi);
    TextOutW(dc.Get(), left, lineTop, kBannerSubtitle, static_cast<int>(wcslen(kBannerSubtitle)));
    SIZE versionSize = {};
    const std::wstring version = AsciiWide(ProgramVersion);
    const int versionLength = static_cast<int>(version.size());
    GetTextExtentPoint32W(dc.Get(), version.c_str(), versionLength, &versionSize);
    TextOutW(dc.Get(), width - versionSize.cx - Scaled(10, g_Dpi), lineTop, version.c_str(),
             versionLength);
    return bitmap;
}

// Draws the banner for the control's present size and shows it there.
void ShowBanner(HWND banner) {
    RECT client = {};
    GetClientRect(banner, &client);
    // The picture shown until now goes once the control shows the new one.
    const GdiBitmap shown = std::move(g_BannerBitmap);
    g_BannerBitmap = MakeBanner(client.right, client.bottom);
    SendMessageW(banner, STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(g_BannerBitmap.Get()));
    // The static resizes itself to the bitmap; pin it to its place.
    const Box place = Scaled(TaskPageBox(BannerImage), g_Dpi);
    const RECT r = {place.x, place.y, place.x + place.width, place.y + place.height};
    SetWindowPos(banner, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system's colours changed (or high contrast went on or off): the banner is drawn again in
// them, the controls hear of it, and everything is painted anew.
void FollowSystemColours() {
    if (HWND banner = Control(BannerImage)) ShowBanner(banner);
    for (HWND control : ControlsInCreationOrder())
        SendMessageW(control, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(g_MainWindow, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // The focused control is kept while another window is active and gets the focus back,
        // where the default handling would leave it on the window itself.
        if (LOWORD(wParam) == WA_INACTIVE) {
            RememberFocus();
            return 0;
        }
        if (HIWORD(wParam)) return DefWindowProcW(hwnd, message, wParam, lParam); // minimised
        RestoreFocus();
        return 0;
    case WM_CANCELMODE:
        // A dialog this window owns disables it, which takes the focus away before the dialog
        // is activated: note it now.
        RememberFocus();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SYSCOLORCHANGE:
        FollowSystemColours();
        return 0;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETHIGHCONTRAST) FollowSystemColours();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_COMMAND:
        // Only notifications from child controls are events; the code itself is not examined.
        if (lParam != 0) PushEvent({EventKind::Command, LOWORD(wParam)});
        return 0;
    case WM_NOTIFY: {
        // A list that takes the focus, or gets rows while it has it, shows a focused row.
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && (header->code == NM_SETFOCUS || header->code == LVN_INSERTITEM))
            GiveListAFocusedRow(header->hwndFrom);
        // The control that sent it answers through the handler its page registered (the export
        // list's cells, the Setup page's tabs).
        bool handled = false;
        const LRESULT result = HandleNotify(lParam, handled);
        return handled ? result : DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case kDpiChanged: {
        // Moved to a monitor of another scaling: the window lays itself out anew for it. The
        // suggested rectangle is read first, without trusting the pointer (another program may
        // send the message): one that cannot be read changes nothing.
        RECT suggested{};
        SIZE_T read = 0;
        if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<LPCVOID>(lParam), &suggested,
                               sizeof suggested, &read) ||
            read != sizeof suggested)
            return 0;
        try {
            ChangeDpi(HIWORD(wParam), &suggested);
        } catch (...) {
        }
        return 0;
    }
    case WM_CLOSE:
        // The loops run Shutdown; the window must stay until then.
        PushEvent({EventKind::Close, -1});
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The system may end the process as soon as this returns, with no close event for the
        // loops: a task frozen before its termination runs on, and the session is kept now,
        // once.
        if (wParam) {
            ResumeFrozenThreads();
            SaveSession();
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

void DeclareDpiAwareness() {
    const auto setContext = User32Entry<BOOL(WINAPI*)(HANDLE)>("SetProcessDpiAwarenessContext");
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2. Refused as already set, the manifest has done it.
    if (setContext && (setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))) ||
                       GetLastError() == ERROR_ACCESS_DENIED))
        return;
    const auto setAware = User32Entry<BOOL(WINAPI*)()>("SetProcessDPIAware");
    if (setAware) setAware();
}

bool CreateMainWindow() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = g_Instance;
    wc.hIcon = LoadIconW(g_Instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(LoadImageW(g_Instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);

    // The window opens on the primary monitor, whose DPI the system's is.
    g_Dpi = ScreenDpi();
    const Box client = Scaled(ClientBox(true), g_Dpi);
    SIZE outer = OuterSize(client.width, client.height);
    Point origin = CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  outer.cx, outer.cy);
    g_MainWindow = CreateWindowExW(0, kWindowClass, L"Morvane", kWindowStyle, origin.x, origin.y,
                                   outer.cx, outer.cy, nullptr, nullptr, g_Instance, nullptr);
    return g_MainWindow != nullptr;
}

void DrawBanner() {
    if (Control(BannerImage)) return;
    HWND banner = CreateControl(WS_EX_CLIENTEDGE, L"STATIC", L"",
                                WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_BITMAP,
                                TaskPageBox(BannerImage), BannerImage);
    ShowBanner(banner);
}

void BuildTaskPage() {
    // Where the settings put the window, another monitor may have another DPI.
    g_Dpi = WindowDpi(g_MainWindow);
    MakeFonts();
    DrawBanner();

    CreateControl(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX | WS_GROUP,
                  TaskPageBox(TaskFrame), TaskFrame);

    HWND list = CreateListView(TaskList, TaskPageBox(TaskList), LVS_SHAREIMAGELISTS,
                               LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    AddListColumns(list, kTaskColumns);
    SetAccessibleName(list, L"Tasks");

    for (const TaskButton& button : TaskButtons())
        CreateControl(0, L"BUTTON", button.caption,
                      WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP,
                      TaskPageBox(button.id), button.id);

    HWND log =
        CreateControl(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                      WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT |
                          WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP,
                      TaskPageBox(LogList), LogList);
    SetAccessibleName(log, L"Log");

    CreateControl(0, L"STATIC", kHomepageLine, WS_CHILD | WS_VISIBLE | SS_CENTER | WS_GROUP,
                  TaskPageBox(HomepageLine), HomepageLine, ControlFont::Small);
    EnableControl(HomepageLine, false);
}

void ReleaseDrawings() {
    g_BannerBitmap.Reset();
    g_TitleFont.Reset();
    SetControlFonts({});
}

void ApplyLogVisibility() {
    const Box client = Scaled(ClientBox(g_Settings.EnableShowInfo != 0), g_Dpi);
    SIZE outer = OuterSize(client.width, client.height);
    SetWindowPos(g_MainWindow, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ChangeDpi(int dpi, const RECT* suggested) {
    if (dpi <= 0) return;
    g_Dpi = dpi;
    if (suggested)
        SetWindowPos(g_MainWindow, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    // Before the task page is built there is nothing to lay out: it is built for this DPI.
    if (!Control(TaskFrame)) return;
    const ControlFonts oldFonts = MakeFonts();
    PlaceControls();
    if (HWND banner = Control(BannerImage)) ShowBanner(banner);
    ApplyLogVisibility();
    InvalidateRect(g_MainWindow, nullptr, TRUE);
}
