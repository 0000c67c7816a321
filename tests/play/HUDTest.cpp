// The heads-up display: what its rows read, the time bar's width and the seconds shown.
#include "GameplayFixture.h"

TEST_F(GameplayTest, HudReadsTheStartOfLevelOneAndFollowsTheTimer)
{
    StartLevel();
    EXPECT_EQ(hud->levelLabel->stat->text, "1");
    EXPECT_EQ(hud->goalLabel->stat->text, "0/3");
    EXPECT_EQ(hud->scoreLabel->stat->text, "00000");
    EXPECT_EQ(hud->comboLabel->stat->text, "0");
    EXPECT_EQ(hud->comboLabel->description->text, "Combo");
    harness->Redraw();
    EXPECT_EQ(hud->timeLabel->text, "60");
    EXPECT_EQ(THUD::TimerBarFill(level->timeLeft, level->timeLimit), 400);

    // Rows fixed on the screen at their places and colours.
    EXPECT_EQ(hud->comboLabel->description->x, 824.0f);
    EXPECT_EQ(hud->comboLabel->description->y, 736.0f);
    EXPECT_EQ(hud->goalLabel->description->x, 412.0f);
    EXPECT_EQ(hud->scoreLabel->description->x, 774.0f);
    EXPECT_EQ(hud->levelLabel->description->x, 10.0f);
    EXPECT_EQ(hud->levelLabel->description->y, 3.0f);
    EXPECT_EQ(hud->scoreLabel->stat->useRendererCamera, 0);
    EXPECT_EQ(hud->goalLabel->stat->color->G, 255);
    EXPECT_EQ(hud->goalLabel->stat->color->R, 100);
    EXPECT_EQ(hud->timeLabel->useRendererCamera, 0);
    EXPECT_EQ(hud->timeLabel->alignment, TLabel::ALIGN_CENTRE_HORIZ);

    // Seconds are rounded up and zero-padded; the bar truncates.
    struct {
        int frames;
        const char* seconds;
        int bar;
    } const table[] = {
        {3600, "60", 400}, {3599, "60", 399}, {3541, "60", 393}, {3540, "59", 393},
        {900, "15", 100},  {61, "02", 6},     {60, "01", 6},     {1, "01", 0},    {0, "00", 0},
    };
    for (const auto& row : table) {
        level->timeLeft = row.frames;
        hud->UpdateTime();
        EXPECT_EQ(hud->timeLabel->text, row.seconds) << row.frames;
        EXPECT_EQ(THUD::TimerBarFill(row.frames, 3600), row.bar) << row.frames;
    }
    // Computed as a fraction of the bar in floating point and truncated: where the fraction rounds just
    // under a whole pixel, the pixel is lost.
    EXPECT_EQ(THUD::TimerBarFill(261, 3600), 28);
    EXPECT_EQ(THUD::TimerBarFill(3, 1200), 1);
    EXPECT_EQ(THUD::TimerBarFill(900, 900), 400);
    EXPECT_EQ(THUD::TimerBarFill(100, 0), 0);

    // A longer score is shown whole.
    profile->score = 1234567;
    hud->UpdateScore();
    EXPECT_EQ(hud->scoreLabel->stat->text, "1234567");
}

TEST_F(GameplayTest, HudAtLaterLevelsReadsTheLevelAndItsGoal)
{
    StartLevel(TProfile::MODE_DIVISION, 9);
    EXPECT_EQ(hud->levelLabel->stat->text, "9");
    EXPECT_EQ(hud->goalLabel->stat->text, "0/10");
    EXPECT_EQ(level->timeLimit, 1200);
    harness->Redraw();
    EXPECT_EQ(hud->timeLabel->text, "20");
}
