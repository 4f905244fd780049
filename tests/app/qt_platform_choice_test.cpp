#include "app/qt_platform_choice.h"

#include <gtest/gtest.h>

TEST(QtPlatformChoice, UnderWineFreeTypeDrawsTheTextUnlessTheUserChoseAPlatform)
{
    const std::vector<std::string> plain{"vantrolix", "--port", "COM7"};
    EXPECT_EQ(ChosenQtPlatform(true, nullptr, plain), "windows:fontengine=freetype");
    // Set but empty is unset, as Qt reads it.
    EXPECT_EQ(ChosenQtPlatform(true, "", plain), "windows:fontengine=freetype");

    EXPECT_FALSE(ChosenQtPlatform(true, "offscreen", plain));
    EXPECT_FALSE(ChosenQtPlatform(true, "windows:fontengine=directwrite", plain));
    EXPECT_FALSE(ChosenQtPlatform(true, nullptr, {"vantrolix", "-platform", "windows:darkmode=1"}));
    EXPECT_FALSE(ChosenQtPlatform(true, nullptr, {"vantrolix", "--port", "COM7", "--platform", "offscreen"}));
    // Other options that begin alike are not a choice of platform.
    EXPECT_EQ(ChosenQtPlatform(true, nullptr, {"vantrolix", "-platformtheme", "x"}), "windows:fontengine=freetype");
    // The program's own name is not an argument.
    EXPECT_EQ(ChosenQtPlatform(true, nullptr, {"-platform"}), "windows:fontengine=freetype");
    EXPECT_EQ(ChosenQtPlatform(true, nullptr, {}), "windows:fontengine=freetype");

    // Windows itself and other systems keep Qt's default.
    EXPECT_FALSE(ChosenQtPlatform(false, nullptr, plain));
    EXPECT_FALSE(ChosenQtPlatform(false, nullptr, {}));
}

TEST(QtPlatformChoice, OnlyWindowsUnderWineSaysWine)
{
#ifndef _WIN32
    EXPECT_FALSE(RunningUnderWine());
#else
    // The Windows build's tests run under Wine on this machine.
    EXPECT_TRUE(RunningUnderWine());
#endif
}
