#include <gtest/gtest.h>

#include "settings/settings.h"

TEST(SettingsDefaults, CurrentDirStartsAtTheProgramFolder) {
    Settings s;
    s.AskTerminate = 4;
    SetSettingsDefaults(s, L"C:\\Tools\\", "C:\\Tools\\");
    EXPECT_EQ(s.AskTerminate, 1);
    EXPECT_EQ(s.LogInfoStyle, 16);
    EXPECT_EQ(s.CurrentDirText, "C:\\Tools\\");
}
