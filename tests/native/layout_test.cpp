#include <gtest/gtest.h>

#include "base/format.h"
#include "app/layout.h"

TEST(CenteredOrigin, CentresAndRoundsHalvesDown) {
    Point p = CenteredOrigin(1280, 1024, 417, 431);
    EXPECT_EQ(p.x, 640 - 208);
    EXPECT_EQ(p.y, 512 - 215);
    // A window larger than the screen starts at the top-left corner, never off to the left.
    p = CenteredOrigin(300, 200, 417, 431);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
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
    EXPECT_EQ(Decimal(0), "0");
    EXPECT_EQ(Decimal(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(Decimal(3000000000LL), "3000000000");
}
