// The level-complete tally (seconds text, bonus, closing) and the game-over statistics, each screen
// made over a run whose numbers the test sets.
#include <gtest/gtest.h>

#include <functional>

#include "platform/Language.h"
#include "play/GameOverScreen.h"
#include "play/LevelCompleteScreen.h"
#include "play/ScreenTestSupport.h"

TEST(LevelCompleteTally, SecondsTextAndBonusFromTheFramesLeft)
{
    struct Case {
        int frames;
        const char* text;
        int bonus;
    };
    // The single-precision text reaches a whole second (600 frames read 10.00) while the bonus floors
    // the slightly lower double value (9.9999996 seconds earn 18, not 20); the text is cut, not rounded.
    const Case cases[] = {
        {600, "10.00 secs", 18}, {754, "12.56 secs", 24}, {0, "0.000 secs", 0},   {6001, "100.0 secs", 200},
        {60, "0.999 secs", 0},   {61, "1.016 secs", 2},   {1800, "29.99 secs", 58}, {3600, "59.99 secs", 118},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        EXPECT_EQ(TLevelCompleteScreen::TimeLeftText(c.frames), c.text);
        EXPECT_EQ(TLevelCompleteScreen::TimeBonusForFrames(c.frames), c.bonus);
    }
    // A translated screen writes the decimal comma its language's classrooms write.
    UseLanguage("calcadia", "locale", "fr");
    EXPECT_EQ(TLevelCompleteScreen::TimeLeftText(754), "12,56 s");
    UseLanguage("calcadia", "locale", "en");
}

TEST(LevelCompleteTally, ShowsTheFrozenLevelAndEveryInputClosesItWithTheBonus)
{
    GameHarness h;
    struct Case {
        int frames;
        int bonus;
        const char* seconds;
        std::function<void()> close;
    };
    const Case cases[] = {
        {600, 18, "10.00 secs", [&] { h.Press(KEY_SPACE); }},
        {754, 24, "12.56 secs", [&] { h.Press(KEY_ESCAPE); }},   // Escape continues, it does not quit
        {0, 0, "0.000 secs", [&] { h.Press(KEY_ENTER); }},
        {6001, 200, "100.0 secs", [&] { h.Click(3); }},
    };
    h.Press(KEY_1);
    h.Frame();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        ASSERT_EQ(ScreenName(), "Game");
        const int levelNumber = profile->level;
        profile->score = 350;
        level->timeLeft = c.frames;
        player->bestCombo = 4;
        game->ChangeScreen(TLevelCompleteScreen::Create());
        auto tally = std::dynamic_pointer_cast<TLevelCompleteScreen>(game->currentScreen);
        EXPECT_EQ(tally->name, "Level Complete");
        EXPECT_TRUE(MusicIs("levelcomplete.ogg"));
        // Everything the screen shows: the heading names the level just finished.
        std::vector<TScreenText> texts = {
            {"Level " + std::to_string(levelNumber) + " Complete!", -1, 84, 1.0f, 1.5f, 100, 255, 100, 3.0f}};
        AddColumn(texts, 260, 200, {"Current Score:", "Time Left:", "Time Bonus:", "Best Combo:"}, 150, 255, 255);
        AddColumn(texts, 605, 200, {"00350", c.seconds, "+ " + std::to_string(c.bonus) + " points", "4"}, 255, 255, 255);
        texts.push_back({"Press <Space> to Continue", -1, 700, 0.5f, 0.8f, 255, 255, 0, 2.0f});
        EXPECT_EQ(PixelsOtherThan(h, texts), 0);

        // Keys that do not continue leave the screen and the profile alone.
        h.Press('A');
        h.Press(KEY_1);
        h.Type("7");
        h.Frames(3);
        ASSERT_EQ(game->currentScreen, tally);
        EXPECT_EQ(profile->score, 350);

        c.close();
        h.Frame();
        ASSERT_EQ(ScreenName(), "Game");
        EXPECT_EQ(profile->score, 350 + c.bonus);
        EXPECT_EQ(profile->level, levelNumber + 1);
        EXPECT_EQ(level->timeLimit, TLevel::TimeLimitForLevel(levelNumber + 1));
        EXPECT_EQ(player->answerInput->text, "");
    }
}

TEST(GameOverStatistics, FixedAtCreationPaddedToFiveDigitsAndClosedByEachAcceptedInput)
{
    GameHarness h;
    struct Case {
        int score;
        const char* shown;
        std::function<void()> close;
    };
    const Case cases[] = {
        {7, "00007", [&] { h.Press(KEY_ESCAPE); }},
        {100000, "100000", [&] { h.Press(KEY_SPACE); }},   // never cut
        {1234, "01234", [&] { h.Press(KEY_ENTER); }},
        {0, "00000", [&] { h.Click(1); }},
        {99999, "99999", [&] { h.Click(2); }},
        {123456, "123456", [&] { h.Click(3); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.score);
        profile = TProfile::Create();
        profile->score = c.score;
        profile->level = 6;
        profile->biggestCombo = 11;
        profile->wrongAnswers = 3;
        profile->lives = 0;
        game->ChangeScreen(TGameOverScreen::Create());
        auto over = std::dynamic_pointer_cast<TGameOverScreen>(game->currentScreen);
        EXPECT_EQ(over->name, "Game Over");
        EXPECT_TRUE(MusicIs("gameover.ogg"));

        // What the run did after the screen was made does not show.
        profile->score += 1000;
        profile->level = 1;
        h.Press('A');
        h.Press(KEY_1);
        h.Frames(2);
        ASSERT_EQ(game->currentScreen, over);
        // Nothing on it moves by itself: left alone, it presents nothing.
        const uint64_t presented = PresentedFrameCount();
        h.Frames(60);
        EXPECT_EQ(PresentedFrameCount(), presented);
        // Everything the screen shows, with the values of the moment it was made.
        std::vector<TScreenText> texts = {{"Game Over", -1, 84, 1.0f, 1.5f, 255, 50, 50, 3.0f}};
        AddColumn(texts, 260, 200, {"Final Score:", "Final Level:", "Biggest Combo:", "Wrong Answers:"}, 150, 255, 255);
        AddColumn(texts, 635, 200, {c.shown, "6", "11", "3"}, 255, 255, 255);
        texts.push_back({"Press <Space> to Continue", -1, 700, 0.5f, 0.8f, 255, 255, 0, 2.0f});
        EXPECT_EQ(PixelsOtherThan(h, texts), 0);

        c.close();
        h.Frame();
        ASSERT_EQ(ScreenName(), "Title");
        EXPECT_TRUE(MusicIs("title.ogg"));
        // The 1 hit while the statistics showed went with the change; it starts no run on the title.
        h.Frame();
        ASSERT_EQ(ScreenName(), "Title");
        // The run is left as it was until a mode choice replaces it.
        EXPECT_EQ(profile->score, c.score + 1000);
    }
}
