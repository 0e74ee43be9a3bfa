#include <gtest/gtest.h>

#include "base/format.h"
#include "base/wide_text.h"
#include "ui/control_ids.h"
#include "app/caption_fit.h"
#include "app/layout.h"
#include "app/window_place.h"
#include "tasks/task_rules.h"
#include "ui/focus_order.h"

TEST(CenteredOrigin, CentresAndRoundsHalvesDown) {
    Point p = CenteredOrigin(1280, 1024, 417, 431);
    EXPECT_EQ(p.x, 640 - 208);
    EXPECT_EQ(p.y, 512 - 215);
    // A window larger than the screen starts at the top-left corner, never off to the left.
    p = CenteredOrigin(300, 200, 417, 431);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

// The layout at the scalings Windows offers: every edge scaled and rounded as MulDiv rounds (the
// last button still meets the frame's right edge), and the fonts likewise.
TEST(ScaledLayout, EveryPlaceFollowsTheDpi) {
    // DPI; client width, height, height without the log; the frame and the Terminate button (x,
    // y, width, height); the Filename column; the small and the title font's heights.
    const int cases[][15] = {
        {96, 410, 400, 324, 10, 55, 390, 237, 335, 298, 65, 20, 350, -9, -15},
        {120, 513, 500, 405, 13, 69, 487, 296, 419, 373, 81, 25, 438, -12, -18},
        {144, 615, 600, 486, 15, 83, 585, 355, 503, 447, 97, 30, 525, -14, -22},
        {192, 820, 800, 648, 20, 110, 780, 474, 670, 596, 130, 40, 700, -19, -29},
    };
    for (const auto& c : cases) {
        const int dpi = c[0];
        std::vector<int> got = {dpi};
        const Box client = Scaled(ClientBox(true), dpi);
        for (int v : {client.width, client.height, Scaled(ClientBox(false), dpi).height})
            got.push_back(v);
        for (int id : {TaskFrame, TerminateButton}) {
            const Box b = Scaled(TaskPageBox(id), dpi);
            got.insert(got.end(), {b.x, b.y, b.width, b.height});
        }
        const int lastColumn = kTaskColumns.back().width.For(TaskPageBox(TaskList).width);
        for (int v : {Scaled(lastColumn, dpi), FontHeight(7, dpi), FontHeight(11, dpi)})
            got.push_back(v);
        EXPECT_EQ(got, std::vector<int>(c, c + 15));
    }
}

TEST(BannerShades, BlackEndsAndTealMiddle) {
    for (int i = 0; i <= 32; ++i) {
        EXPECT_EQ(BannerShades(i).first, 0) << i;
        EXPECT_EQ(BannerShades(i).second, 0) << i;
    }
    EXPECT_EQ(BannerShades(33), std::make_pair(3, 2));
    EXPECT_EQ(BannerShades(194), std::make_pair(164, 163));
}

TEST(NextTabStop, SkipsIneligibleAndWrapsBothWays) {
    // TaskList, Detect, Clear (disabled), Refresh, LogList
    std::vector<bool> eligible = {true, true, false, true, true};
    EXPECT_EQ(NextTabStop(eligible, 0, false), 1);
    EXPECT_EQ(NextTabStop(eligible, 1, false), 3);
    EXPECT_EQ(NextTabStop(eligible, 4, false), 0);
    EXPECT_EQ(NextTabStop(eligible, 0, true), 4);
    EXPECT_EQ(NextTabStop(eligible, 3, true), 1);
    EXPECT_EQ(NextTabStop(eligible, -1, false), 0);
    EXPECT_EQ(NextTabStop(eligible, -1, true), 4);
    EXPECT_EQ(NextTabStop({false, false}, 0, false), -1);
    EXPECT_EQ(NextTabStop({}, 0, false), -1);
    // The only eligible control keeps the focus.
    EXPECT_EQ(NextTabStop({false, true, false}, 1, false), 1);
}

TEST(TextHelpers, Decimal) {
    EXPECT_EQ(Decimal(0), L"0");
    EXPECT_EQ(Decimal(-2147483647 - 1), L"-2147483648");
    EXPECT_EQ(Decimal(3000000000LL), L"3000000000");
}

// A code page that writes look-alikes for what it lacks, as the system does without
// WC_NO_BEST_FIT_CHARS: full-width letters and "Ł" become plain Latin letters. Only characters
// it holds exactly may pass; every other one is one "?", a pair of units included.
TEST(TextHelpers, NarrowTextNeverWritesALookAlike) {
    const CharacterEncoder bestFit = [](const std::wstring& c, std::string& bytes) {
        // Held exactly: ASCII and Latin-1; a full-width letter or "Ł" only as a look-alike.
        const wchar_t u = c.size() == 1 ? c[0] : 0;
        if (u == 0 || (u >= 0x80 && u < 0xA0) || u > 0xFF) return false;
        bytes = std::string(1, static_cast<char>(u));
        return true;
    };
    const struct {
        std::wstring wide;
        std::string narrow;
    } cases[] = {
        {L"svchost.exe", "svchost.exe"},
        {L"\xFF53\xFF56\xFF43\xFF48\xFF4F\xFF53\xFF54.exe", "???????.exe"},
        {L"\x0141\xF3"
         L"d\x17A-sync.exe",
         "?\xF3"
         "d?-sync.exe"},
        {L"\x4E2D\x6587\x8FDB\x7A0B.exe", "????.exe"},
        {std::wstring(L"a\xD835\xDD38"
                      L"b"),
         "a?b"},
        {std::wstring(1, L'\xDC00') + L"x", "?x"}, // half a pair alone is one character
        {L"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NarrowText(c.wide, bestFit), c.narrow);
}

TEST(TextHelpers, CutsNeverSplitACharacter) {
    const std::wstring pair = L"\xD835\xDD38";
    EXPECT_EQ(CutText(L"abcdef", 4), L"abcd");
    EXPECT_EQ(CutText(L"ab" + pair, 3), L"ab");
    EXPECT_EQ(CutText(L"ab" + pair, 4), L"ab" + pair);
    EXPECT_EQ(CutText(L"ab", 9), L"ab");
    EXPECT_EQ(WithoutLastCharacters(L"kernel32.dll", 4), L"kernel32");
    EXPECT_EQ(WithoutLastCharacters(L"xa.d" + pair, 4), L"x");
    EXPECT_EQ(WithoutLastCharacters(pair + pair, 1), pair);
    EXPECT_EQ(WithoutLastCharacters(L"abc", 4), L"");
}

// The font height a scaled layout takes, with a font whose lines are as wide as their characters
// times the height and as high as the height plus 2: the height the scaling asks for where
// everything fits, else the largest that fits, never below three quarters of it.
TEST(FittingFontHeight, TheLargestHeightAtWhichEveryCaptionFits) {
    const MeasureText measure = [](const std::wstring& line, int height) {
        return TextExtent{static_cast<int>(line.size()) * height, height + 2};
    };
    const std::vector<CaptionRoom> oneLine = {{L"abcd", {10, 5, 40, 20}}};
    const std::vector<CaptionRoom> threeLines = {{L"a\nbc\nd", {0, 0, 100, 30}}};
    const struct {
        std::vector<CaptionRoom> captions;
        int dpi, preferred, height;
    } cases[] = {
        {oneLine, 96, 10, 10},    // 40 wide: fits as asked
        {oneLine, 96, 11, 10},    // 44 is wider than 40
        {oneLine, 144, 17, 15},   // 60 wide at 150 %
        {oneLine, 120, 13, 12},   // 50 wide at 125 %
        {oneLine, 96, 20, 15},    // fits only at 10: stops at three quarters of 20
        {threeLines, 96, 10, 8},  // three lines of 10 in 30 pixels
        {threeLines, 192, 20, 18} // in 60 pixels
    };
    for (const auto& c : cases)
        EXPECT_EQ(FittingFontHeight(c.captions, c.dpi, c.preferred, measure), c.height)
            << c.captions[0].text.size() << " characters at " << c.dpi << " DPI from "
            << c.preferred;
    EXPECT_TRUE(CaptionsFit(oneLine, 96, 10, measure));
    EXPECT_FALSE(CaptionsFit({{L"abcd", {10, 5, 40, 11}}}, 96, 10, measure)) << "12 high in 11";
}

// Where the window opens for a saved corner. The window is 400 x 300, now at (100, 100), its
// caption bar 3 pixels inside the border and 22 high. The primary monitor is 1280 x 1024 with a
// 40-pixel task bar at the bottom, a second one of 1920 x 1080 lies to its left.
TEST(PlaceToOpen, TheSavedCornerOnlyWhereTheCaptionBarLiesInsideOneWorkArea) {
    const ScreenRect window = {100, 100, 500, 400};
    const ScreenRect caption = {103, 103, 497, 125};
    const std::vector<ScreenRect> areas = {{0, 0, 1280, 984}, {-1920, 0, 0, 1080}};
    const struct {
        int32_t x, y;
        bool kept;
    } cases[] = {
        {120, 80, true},                     // on the primary monitor
        {-1500, 200, true},                  // on the second one
        {-3, -3, true},                      // only the borders off the screen
        {900, 80, false},                    // partly off the right edge
        {-200, 80, false},                   // across both monitors
        {120, 970, false},                   // on the task bar
        {-32000, -32000, false},             // where a minimised window sits
        {-2147483647 - 1, 2147483647, false} // far off, without an overflow
    };
    for (const auto& c : cases) {
        int32_t x = c.x, y = c.y;
        PlaceToOpen(x, y, window, caption, areas);
        EXPECT_EQ(x, c.kept ? c.x : 640 - 200) << c.x << ", " << c.y;
        EXPECT_EQ(y, c.kept ? c.y : 492 - 150) << c.x << ", " << c.y;
    }
    // A window larger than the work area starts at its corner.
    int32_t x = -32000, y = -32000;
    PlaceToOpen(x, y, {0, 0, 1500, 1100}, {3, 3, 1497, 25}, areas);
    EXPECT_TRUE(x == 0 && y == 0) << x << ", " << y;
}
