#include <gtest/gtest.h>

#include <string>
#include <utility>
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

TEST(PendingBlockName, MorvaneLogDecimalPending) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"Morvane.log.4242.pending", true},         {L"MORVANE.LOG.7.PENDING", true},
        {L"Morvane.log.4294967295.pending", true},   {L"Morvane.log..pending", false},
        {L"Morvane.log.12345678901.pending", false}, {L"Morvane.log.-12.pending", false},
        {L"Morvane.log.12.pending.txt", false},      {L"Morvane.log.\xFF11.pending", false},
    };
    for (const auto& [name, pending] : cases)
        EXPECT_EQ(IsPendingBlockName(name), pending) << testing::PrintToString(name);
}

TEST(PendingBlockText, OnlyWholeBlocksAsMorvaneWritesThem) {
    const std::string block = "[ Session-Log: 06-03-2005 / 14:07:09 ]\r\n"
                              "  [ 14:07:10 ] - Terminated: \xE5\xBC\xA0\tx.exe\r\n"
                              "  \r\n"
                              "[ Session-End: 06-03-2005 / 14:09:41 ]\r\n\r\n";
    const std::string empty = "[ Session-Log: 01-01-1970 / 00:00:00 ]\r\n"
                              "[ Session-End: 01-01-1970 / 00:00:00 ]\r\n\r\n";
    const std::pair<std::string, bool> cases[] = {
        {block, true},
        {empty + block + empty, true},
        {"", false},
        {block.substr(0, block.size() - 2), false},                  // no empty line
        {block + "\r\n", false},                                     // a second empty line
        {empty.substr(0, 80) + "  x\r\n" + empty.substr(40), false}, // an entry after the end
        {block + " ", false},                                        // text after the last block
        {"  x\r\n" + block, false},                                  // an entry before the header
        {block.substr(0, 40) + " x\r\n" + block.substr(40), false},  // one blank is no entry
        {block.substr(0, 40) + "  a\nb\r\n" + block.substr(40), false},  // a lone LF
        {block.substr(0, 40) + "  a\x01\r\n" + block.substr(40), false}, // binary
        {"[ Session-Log: 06-03-2005 / 14:07:O9 ]\r\n" + block.substr(40), false},
        {"[ Session-Log: 06-03-2005 / 14:07:09 ] \r\n" + block.substr(40), false},
        {"[ Session-Log: 06-03-2005 / 14:07:09 ]\n" + block.substr(40), false},
        {std::string("[ Session-Log: 06-03-2005 / 14:07:09 ]\r\n\0\r\n", 43) + block.substr(40),
         false},
    };
    for (const auto& [text, whole] : cases)
        EXPECT_EQ(IsSessionBlockText(text), whole) << testing::PrintToString(text);
}
