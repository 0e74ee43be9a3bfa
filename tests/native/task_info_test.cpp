#include <gtest/gtest.h>

#include "tasks/task_info.h"

TEST(EntryCell, RightAlignedInThreeCharactersAndCutAfterThree) {
    EXPECT_EQ(EntryCell(1), "  1");
    EXPECT_EQ(EntryCell(12), " 12");
    EXPECT_EQ(EntryCell(999), "999");
    EXPECT_EQ(EntryCell(1000), "100");
    EXPECT_EQ(EntryCell(12345), "123");
    EXPECT_EQ(EntryCell(2147483647), "214");
}
