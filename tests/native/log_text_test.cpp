#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/log_text.h"

TEST(LogPrefix, NumberedStyleCountsFromOne) {
    const Timestamp t = MakeTimestamp(2005, 3, 6, 9, 5, 3);
    EXPECT_EQ(BuildLogPrefix(8, 0, t), "[ 1 ] - ");
    EXPECT_EQ(BuildLogPrefix(8, 9, t), "[ 10 ] - ");
    EXPECT_EQ(BuildLogPrefix(8, 5, t), "[ 6 ] - ");
    EXPECT_EQ(BuildLogPrefix(8, 2147483647, t), "[ 2147483648 ] - ");
}

TEST(LogPrefix, TimeStyleAndTheRest) {
    const Timestamp t = MakeTimestamp(2005, 3, 6, 9, 5, 3);
    EXPECT_EQ(BuildLogPrefix(16, 4, t), "[ 09:05:03 ] - ");
    EXPECT_EQ(BuildLogPrefix(16, 0, MakeTimestamp(2005, 3, 6, 23, 59, 59)), "[ 23:59:59 ] - ");
    for (int32_t style : {32, 0, -8, 24, 1, 2147483647}) {
        EXPECT_EQ(BuildLogPrefix(style, 3, t), "") << style;
    }
}

TEST(SessionBlock, HeaderEntriesEndAndEmptyLine) {
    const Timestamp start = MakeTimestamp(2005, 3, 6, 14, 7, 9);
    const Timestamp end = MakeTimestamp(2005, 3, 6, 14, 9, 41);
    const std::vector<std::string> entries = {
        BuildLogPrefix(16, 0, MakeTimestamp(2005, 3, 6, 14, 7, 10)) + "Initialized tasks: 42"};
    EXPECT_EQ(FormatSessionBlock(FormatTimestamp(kSessionHeaderMask, start), entries,
                                 FormatTimestamp(kSessionEndMask, end)),
              "[ Session-Log: 06-03-2005 / 14:07:09 ]\r\n"
              "  [ 14:07:10 ] - Initialized tasks: 42\r\n"
              "[ Session-End: 06-03-2005 / 14:09:41 ]\r\n"
              "\r\n");
}

TEST(SessionBlock, NothingLoggedAndEmptyEntries) {
    EXPECT_EQ(FormatSessionBlock("H", {}, "E"), "H\r\nE\r\n\r\n");
    EXPECT_EQ(FormatSessionBlock("H", {"", "b"}, "E"), "H\r\n  \r\n  b\r\nE\r\n\r\n");
}
