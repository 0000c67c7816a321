// Free helpers: the pitch steps, geometry and text rules, mouse short-circuit, and the fatal image path.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/Platform.h"
#include "platform/Testing.h"
#include "shell/Helpers.h"
#include "support/game/GameHarness.h"

namespace {

TEST(MajorScaleRateTest, WalksTheMajorScaleOneOctaveToRateTwo)
{
    EXPECT_EQ(MajorScaleRate(0), 1.0);
    EXPECT_EQ(MajorScaleRate(7), 2.0);

    const int semitones[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21};
    for (int step = 0; step < 13; ++step)
        EXPECT_DOUBLE_EQ(MajorScaleRate(step), std::pow(2.0, semitones[step] / 12.0)) << "step " << step;
    // Past the table every step is a plain semitone on top of ten extra.
    EXPECT_DOUBLE_EQ(MajorScaleRate(13), std::pow(2.0, 23 / 12.0));
    EXPECT_DOUBLE_EQ(MajorScaleRate(20), std::pow(2.0, 30 / 12.0));
}

TEST(HelpersTest, GeometryPathsAndPadding)
{
    // Touching edges do not overlap; one pixel of shared area does.
    EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 10, 0, 10, 10), 0);
    EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 9, 0, 10, 10), 1);
    EXPECT_EQ(RectsOverlap(0, 0, 10, 10, 0, 10, 10, 10), 0);
    EXPECT_EQ(RectsOverlap(5, 5, 1, 1, 0, 0, 10, 10), 1);

    EXPECT_EQ(NextPowerOfTwo(-3), 1);
    EXPECT_EQ(NextPowerOfTwo(1), 1);
    EXPECT_EQ(NextPowerOfTwo(100), 128);
    EXPECT_EQ(NextPowerOfTwo(128), 128);
    EXPECT_EQ(NextPowerOfTwo(129), 256);

    EXPECT_EQ(EnsureTrailingSlash("Data/Images/"), "Data/Images/");
    EXPECT_EQ(EnsureTrailingSlash("Data\\Images\\"), "Data\\Images\\");
    EXPECT_EQ(EnsureTrailingSlash("Data/Images"), "Data/Images/");
    EXPECT_EQ(EnsureTrailingSlash(""), "/");

    EXPECT_EQ(PadWithZeros("7", 3), "007");
    EXPECT_EQ(PadWithZeros("1234", 3), "1234");
    EXPECT_EQ(PadWithZeros("", 2), "00");
    // Counted in characters: a two-byte character is one.
    EXPECT_EQ(PadWithZeros("\xC3\xA9", 3), "00\xC3\xA9");
}

TEST(HelpersTest, AnyMouseHitStopsAtTheFirstClickedButton)
{
    ClearMouse();
    EXPECT_EQ(AnyMouseHit(), 0);

    InjectMouseClick(1);
    InjectMouseClick(3);
    EXPECT_EQ(AnyMouseHit(), 1);
    // The middle click was not asked for, so it is still pending for the next call.
    EXPECT_EQ(AnyMouseHit(), 1);
    EXPECT_EQ(AnyMouseHit(), 0);

    InjectMouseClick(2);
    EXPECT_EQ(AnyMouseHit(), 1);
    EXPECT_EQ(MouseButtonWasHit(2), 0);
    ClearMouse();
}

TEST(HelpersDeathTest, MissingImageEndsTheProgramWithMinusOneAndTheMessage)
{
    // The child must really exit, not throw into the harness's hook.
    RestoreRealProgramExit();
    // The second line names the folder in full and the cause.
    EXPECT_EXIT(LoadImageChecked("Data/Images/no-such-picture.png", -1), testing::ExitedWithCode(255),
                "Error loading image Data/Images/no-such-picture.png\nSearched in /.+/Data/Images/: missing\n");
    EXPECT_EXIT(LoadAnimImageChecked("Data/Images/no-such-strip.png", 8, 8, 0, 4, -1),
                testing::ExitedWithCode(255), "Error loading anim image Data/Images/no-such-strip.png\nSearched");
    EXPECT_EXIT(LoadImageChecked("Data/Images", -1), testing::ExitedWithCode(255),
                "Error loading image Data/Images\nSearched in /.+/Data/: not a regular file");
    EXPECT_EXIT(LoadImageChecked("Data/Fonts/beware.ttf", -1), testing::ExitedWithCode(255),
                "Data/Fonts/: not a picture");
}

}   // namespace
