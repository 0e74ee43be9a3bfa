#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "settings/time_format.h"

namespace {
const char* const kFull = "%yyyy-%mm-%dd %hh:%ii:%ss";
}

TEST(Timestamp, KnownMoments) {
    EXPECT_EQ(MakeTimestamp(1970, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(MakeTimestamp(1970, 1, 2, 0, 0, 1), 86401);
    EXPECT_EQ(MakeTimestamp(2005, 3, 6, 14, 7, 9), 1110118029);
    EXPECT_EQ(MakeTimestamp(2000, 2, 29, 0, 0, 0), 951782400);
    EXPECT_EQ(MakeTimestamp(1969, 12, 31, 23, 59, 59), -1);
    EXPECT_EQ(MakeTimestamp(2038, 1, 19, 3, 14, 7), 2147483647);
    EXPECT_EQ(MakeTimestamp(1901, 12, 13, 20, 45, 52), -2147483647 - 1);
}

TEST(Timestamp, FieldsCarryOverLikeTheCalendar) {
    EXPECT_EQ(MakeTimestamp(2004, 13, 1, 0, 0, 0), MakeTimestamp(2005, 1, 1, 0, 0, 0));
    EXPECT_EQ(MakeTimestamp(2005, 0, 1, 0, 0, 0), MakeTimestamp(2004, 12, 1, 0, 0, 0));
    EXPECT_EQ(MakeTimestamp(2005, 2, 29, 0, 0, 0), MakeTimestamp(2005, 3, 1, 0, 0, 0));
    EXPECT_EQ(MakeTimestamp(2005, 3, 6, 24, 0, 0), MakeTimestamp(2005, 3, 7, 0, 0, 0));
}

TEST(Timestamp, OutOfRangeIsHeldAtTheEnds) {
    EXPECT_EQ(MakeTimestamp(2038, 1, 19, 3, 14, 8), 2147483647);
    EXPECT_EQ(MakeTimestamp(2100, 1, 1, 0, 0, 0), 2147483647);
    EXPECT_EQ(MakeTimestamp(1800, 1, 1, 0, 0, 0), -2147483647 - 1);
    EXPECT_EQ(MakeTimestamp(2147483647, 2147483647, 2147483647, 2147483647, 2147483647, 2147483647),
              2147483647);
    EXPECT_EQ(MakeTimestamp(-2147483647 - 1, -2147483647 - 1, -2147483647 - 1, 0, 0, 0),
              -2147483647 - 1);
}

TEST(Timestamp, DecodeAgreesWithTheCLibraryAcrossTheRange) {
    // gmtime is the independent reference for the whole 32-bit span, both signs.
    for (int64_t t = -2147483648LL; t <= 2147483647LL; t += 9876543) {
        const time_t tt = static_cast<time_t>(t);
        std::tm ref{};
        ASSERT_NE(gmtime_r(&tt, &ref), nullptr);
        const TimeFields f = DecodeTimestamp(static_cast<Timestamp>(t));
        ASSERT_EQ(f.year, ref.tm_year + 1900) << t;
        ASSERT_EQ(f.month, ref.tm_mon + 1) << t;
        ASSERT_EQ(f.day, ref.tm_mday) << t;
        ASSERT_EQ(f.hour, ref.tm_hour) << t;
        ASSERT_EQ(f.minute, ref.tm_min) << t;
        ASSERT_EQ(f.second, ref.tm_sec) << t;
        ASSERT_EQ(MakeTimestamp(f.year, f.month, f.day, f.hour, f.minute, f.second), t);
    }
}

TEST(FormatTimestamp, SessionMaskExample) {
    const Timestamp t = MakeTimestamp(2005, 3, 6, 14, 7, 9);
    EXPECT_EQ(FormatTimestamp("[ Session-Log: %dd-%mm-%yyyy / %hh:%ii:%ss ]", t),
              "[ Session-Log: 06-03-2005 / 14:07:09 ]");
    EXPECT_EQ(FormatTimestamp("[ %hh:%ii:%ss ] - ", MakeTimestamp(2005, 3, 6, 7, 5, 3)),
              "[ 07:05:03 ] - ");
}

TEST(FormatTimestamp, TokensIgnoreCaseAndMatchInOrder) {
    const Timestamp t = MakeTimestamp(2005, 3, 6, 14, 7, 9);
    EXPECT_EQ(FormatTimestamp("%YYYY|%Yy|%MM|%dD|%HH|%II|%SS", t), "2005|05|03|06|14|07|09");
    // "yyyy" is tried before "yy": three y give the short year followed by a plain y.
    EXPECT_EQ(FormatTimestamp("%yyy", t), "05y");
    EXPECT_EQ(FormatTimestamp("%yyyyyy", t), "2005yy");
    EXPECT_EQ(FormatTimestamp("%mmm", t), "03m");
    EXPECT_EQ(FormatTimestamp("%%yy", t), "%05");
}

TEST(FormatTimestamp, UnknownPercentIsCopiedAndTheRestReadAsText) {
    const Timestamp t = MakeTimestamp(1999, 12, 31, 23, 59, 58);
    EXPECT_EQ(FormatTimestamp("%x", t), "%x");
    EXPECT_EQ(FormatTimestamp("%", t), "%");
    EXPECT_EQ(FormatTimestamp("100%", t), "100%");
    EXPECT_EQ(FormatTimestamp("%y", t), "%y");
    EXPECT_EQ(FormatTimestamp("%m", t), "%m");
    EXPECT_EQ(FormatTimestamp("yyyy mm dd", t), "yyyy mm dd");
    EXPECT_EQ(FormatTimestamp("", t), "");
    EXPECT_EQ(FormatTimestamp("a%xyyyb", t), "a%xyyyb");
    EXPECT_EQ(FormatTimestamp(std::string("%\0%ss", 5), t), std::string("%\0"
                                                                        "58",
                                                                        4));
}

TEST(FormatTimestamp, TwoDigitFieldsAndYearsBeforeNineteenSeventy) {
    EXPECT_EQ(FormatTimestamp(kFull, 0), "1970-01-01 00:00:00");
    EXPECT_EQ(FormatTimestamp(kFull, -1), "1969-12-31 23:59:59");
    EXPECT_EQ(FormatTimestamp(kFull, -2147483647 - 1), "1901-12-13 20:45:52");
    EXPECT_EQ(FormatTimestamp(kFull, 2147483647), "2038-01-19 03:14:07");
    EXPECT_EQ(FormatTimestamp("%yy", MakeTimestamp(2001, 1, 1, 0, 0, 0)), "01");
    EXPECT_EQ(FormatTimestamp("%yy", MakeTimestamp(1905, 1, 1, 0, 0, 0)), "05");
}
