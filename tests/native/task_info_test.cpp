#include <gtest/gtest.h>

#include "tasks/task_info.h"

TEST(EntryCell, RightAlignedInThreeCharactersAndCutAfterThree) {
    EXPECT_EQ(EntryCell(1), L"  1");
    EXPECT_EQ(EntryCell(12), L" 12");
    EXPECT_EQ(EntryCell(999), L"999");
    EXPECT_EQ(EntryCell(1000), L"100");
    EXPECT_EQ(EntryCell(12345), L"123");
    EXPECT_EQ(EntryCell(2147483647), L"214");
}
