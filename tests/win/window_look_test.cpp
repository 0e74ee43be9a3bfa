// What the real main window in this process looks like at other scalings and in other colours
// (every caption in its control's own font, the banner in high contrast), and where it gives the
// focus back.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/setup_panel.h"
#include "win/app_fixture.h"
#include "win/page_driving.h"
#include "win/test_support.h"

#include <commctrl.h>

#include <sstream>
#include <utility>
#include <vector>

namespace {

// Every captioned control, measured with the caption it shows (its texts are checked where the
// pages are built): the task page's buttons, the Setup page's frames, options, check boxes and
// buttons, and the About text; and the captions the pages give the Info and Terminate buttons.
const int kCaptioned[] = {
    DetectButton,       ClearButton,       RefreshButton,       SetupButton,       InfoButton,
    TerminateButton,    AskFrame,          AskEveryTimeOption,  AskCriticalOption, AskNeverOption,
    StyleFrame,         StyleNumberOption, StyleTimeOption,     StyleNoneOption,   MiscFrame,
    TaskTerminateCheck, TaskFreezeCheck,   DetectOwnTaskCheck,  ShowInfoCheck,     SaveInfoCheck,
    RestoreWindowCheck, StartButton,       CommandBrowseButton, ShowButton,        DllBrowseButton,
    AboutTextLabel};
const std::pair<int, const wchar_t*> kPageCaptions[] = {{InfoButton, L"Export"},
                                                        {TerminateButton, L"Back"}};

// The widest line of `text` and the height of all its lines in the font `window` draws with.
SIZE TextSize(HWND window, const std::wstring& text) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SIZE all = {0, 0};
    std::wistringstream lines(text);
    for (std::wstring line; std::getline(lines, line);) {
        SIZE size = {};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        all.cx = std::max(all.cx, size.cx);
        all.cy += metrics.tmHeight;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return all;
}

class WindowLook : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureMainWindow();
        PrepareProbes();
        // A visit builds the Setup page's controls.
        PostClick(TerminateButton);
        RunSetupPanel();
    }
    void TearDown() override {
        ChangeDpi(96, nullptr);
        g_SystemParameters = SystemParametersInfoW;
    }
};

// At the layout's DPI and scaled to 125, 150 and 200 %, measured with GetTextExtentPoint32 in the
// font the control was given: no caption is wider than its control, no text taller.
TEST_F(WindowLook, EveryCaptionFitsItsControlInItsOwnFont) {
    for (int dpi : {96, 120, 144, 192}) {
        ChangeDpi(dpi, nullptr);
        std::vector<std::pair<int, std::wstring>> captions;
        for (int id : kCaptioned)
            captions.emplace_back(id, ControlText(id));
        captions.insert(captions.end(), std::begin(kPageCaptions), std::end(kPageCaptions));
        for (const auto& c : captions) {
            HWND control = Control(c.first);
            ASSERT_NE(control, nullptr) << c.first;
            RECT room = {};
            GetClientRect(control, &room);
            const SIZE size = TextSize(control, c.second);
            EXPECT_LE(size.cx, room.right)
                << c.first << " \"" << testsupport::Utf8(c.second) << "\" at " << dpi << " DPI";
            EXPECT_LE(size.cy, room.bottom) << c.first << " at " << dpi << " DPI";
        }
        // The tabs size themselves to their titles; all three fit the strip.
        HWND tabs = Control(SetupTabs);
        RECT strip = {};
        GetClientRect(tabs, &strip);
        RECT last = {};
        ASSERT_TRUE(SendMessageW(tabs, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&last)));
        EXPECT_LE(last.right, strip.right) << dpi << " DPI";
    }
}

// Stands for a system in high contrast, which Wine cannot switch on.
BOOL WINAPI HighContrastOn(UINT action, UINT size, PVOID value, UINT flags) {
    if (action != SPI_GETHIGHCONTRAST) return SystemParametersInfoW(action, size, value, flags);
    auto* contrast = static_cast<HIGHCONTRASTW*>(value);
    contrast->dwFlags = HCF_HIGHCONTRASTON;
    return TRUE;
}

// How many pixels of the banner's picture have each colour.
int PixelsOf(COLORREF colour, int* total = nullptr) {
    BITMAP info = {};
    GetObjectW(g_BannerBitmap.Get(), sizeof info, &info);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, g_BannerBitmap.Get(), 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (total) *total = static_cast<int>(pixels.size());
    int count = 0;
    for (DWORD p : pixels)
        if (RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) == colour) ++count;
    return count;
}

// In high contrast the banner takes the highlight colours, and follows them when they change;
// without it the gradient comes back. No restart: the window hears of each change.
TEST_F(WindowLook, InHighContrastTheBannerTakesTheSystemColours) {
    const int elements[] = {COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
    const COLORREF before[] = {GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHTTEXT)};
    const COLORREF teal = RGB(0, 163, 163);
    ASSERT_GT(PixelsOf(teal), 0);

    g_SystemParameters = HighContrastOn;
    SendMessageW(g_MainWindow, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    int total = 0;
    const int background = PixelsOf(before[0], &total);
    EXPECT_GT(background, total / 2) << "the highlight colour behind the texts";
    EXPECT_GT(PixelsOf(before[1]), 100) << "the texts in the highlight text colour";
    EXPECT_EQ(PixelsOf(teal), 0);

    // A colour change reaches every top-level window of the system, this one too.
    const COLORREF chosen[] = {RGB(128, 0, 64), RGB(255, 255, 0)};
    ASSERT_TRUE(SetSysColors(2, elements, chosen));
    const int changed = PixelsOf(chosen[0]);
    const int texts = PixelsOf(chosen[1]);
    SetSysColors(2, elements, before);
    EXPECT_EQ(changed, background);
    EXPECT_GT(texts, 100);

    g_SystemParameters = SystemParametersInfoW;
    SendMessageW(g_MainWindow, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_GT(PixelsOf(teal), 0) << "the gradient again";
    EXPECT_EQ(PixelsOf(chosen[0]), 0);
}

// A dialog the window owns disables it first; on Windows that takes the focus away before the
// window hears it is no longer active. The control focused when the dialog came still gets the
// focus back when the window is active again.
TEST(WindowFocus, TheControlFocusedWhenADialogDisablesTheWindowGetsTheFocusBack) {
    EnsureMainWindow();
    SetFocus(Control(RefreshButton));
    SendMessageW(g_MainWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(Control(ClearButton));
    ASSERT_EQ(GetFocus(), Control(ClearButton));

    EnableWindow(g_MainWindow, FALSE);
    SetFocus(nullptr); // as Windows does for a disabled window's controls
    SendMessageW(g_MainWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    EnableWindow(g_MainWindow, TRUE);
    SendMessageW(g_MainWindow, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), Control(ClearButton));
}

} // namespace
