// The game screen: level start, Escape, the developer keys, pause, and what a frame looks like.
#include "GameplayFixture.h"

#include "platform/Testing.h"
#include "toolkit/ParticleList.h"

#include <algorithm>

TEST_F(GameplayTest, StartingALevelResetsEverythingButTheProfile)
{
    StartLevel();
    EXPECT_EQ(game->currentScreen->name, "Game");
    EXPECT_EQ(level->timeLeft, 3600);
    EXPECT_FALSE(level->currentQuestion.empty());
    EXPECT_EQ(player->answerInput->text, "");
    EXPECT_EQ(player->answerInput->mode, TTextInput::MODE_NUMBERS_ONLY);
    EXPECT_EQ(player->answerInput->alignment, TLabel::ALIGN_CENTRE_HORIZ);
    EXPECT_EQ(player->answerInput->x, 512.0f);
    EXPECT_EQ(player->answerInput->y, 384.0f);
    EXPECT_EQ(level->questionLabel->x, 512.0f);
    EXPECT_EQ(level->questionLabel->y, 234.0f);
    ASSERT_TRUE(player->channelAccelerate);
    EXPECT_FLOAT_EQ(player->channelAccelerate->Volume(), 0.8f);
    EXPECT_TRUE(game->currentMusic);

    // Keys typed while another screen showed never reach the new level's field.
    harness->Type("4");
    game->ChangeScreen(TGameScreen::Create());
    harness->Frame();
    EXPECT_EQ(player->answerInput->text, "");

    // Developer keys are dead outside test mode.
    const TLevelPtr before = level;
    harness->Press(KEY_R);
    harness->Press(KEY_Q);
    harness->Press(KEY_J);
    harness->Frame();
    EXPECT_EQ(level, before);
    EXPECT_EQ(profile->lives, 1);
    EXPECT_EQ(player->successAnimCounter + player->deathAnimCounter, 0);

    // In test mode R restarts the level from scratch with the same profile. The hits above were never
    // read, so they are dropped first or they would all fire now.
    ClearKeys();
    game->testMode = 1;
    AnswerRight();
    AnswerWrong();
    ASSERT_GT(player->deathAnimCounter, 0);
    harness->Press(KEY_R);
    harness->Frame();
    EXPECT_NE(level, before);
    EXPECT_EQ(player->combo, 0);
    EXPECT_EQ(player->levelScore, 0);
    EXPECT_EQ(player->deathAnimCounter, 0);
    EXPECT_EQ(hud->goalLabel->stat->text, "0/3");
    EXPECT_EQ(level->timeLeft, 3599);   // a full timer, stepped once in the frame of the restart
    EXPECT_EQ(renderer->scaleX, 1.0f);
    EXPECT_EQ(profile->score, 10);
    EXPECT_EQ(profile->wrongAnswers, 1);
    EXPECT_EQ(ImageParticles("explosion"), 0);   // the old level's effects are gone
}

TEST_F(GameplayTest, DeveloperKeysWinOrLoseTheLevelInTestMode)
{
    StartLevel();
    game->testMode = 1;
    harness->Press(KEY_J);
    harness->Frame();
    EXPECT_EQ(TextParticles("AWESOME!").size(), 1u);
    EXPECT_EQ(player->levelScore, 3);
    harness->Frames(69);
    EXPECT_EQ(ScreenName(), "Level Complete");
    EXPECT_EQ(profile->score, 0);

    StartLevel();
    game->testMode = 1;
    harness->Press(KEY_Q);
    harness->Frame();
    EXPECT_EQ(TextParticles("TIME UP!").size(), 1u);
    EXPECT_EQ(profile->lives, 0);
    harness->Frames(79);
    EXPECT_EQ(ScreenName(), "Game Over");
}

TEST_F(GameplayTest, EscapeReturnsToTheTitleWithTheCameraReset)
{
    StartLevel();
    AnswerRight();
    AnswerWrong();
    harness->Frames(28);
    ASSERT_EQ(player->deathAnimCounter, 11);
    harness->Press(KEY_ESCAPE);
    harness->Frame();
    EXPECT_EQ(ScreenName(), "Title");
    // Not zoomed again under the title by the abandoned animation.
    EXPECT_EQ(renderer->scaleX, 1.0f);
    EXPECT_EQ(renderer->scrollX, 0.0f);
    EXPECT_EQ(profile->score, 10);
    EXPECT_EQ(profile->wrongAnswers, 1);

    // Escape in the last frame of a time-up: the abandoned animation must not end in the game-over
    // screen in place of the title.
    StartLevel();
    level->timeLeft = 1;
    harness->Frames(79);
    ASSERT_EQ(player->deathAnimCounter, 1);
    harness->Press(KEY_ESCAPE);
    harness->Frame();
    EXPECT_EQ(ScreenName(), "Title");
    EXPECT_EQ(renderer->scaleX, 1.0f);
}

TEST_F(GameplayTest, PauseFreezesTimerInputAnimationsAndEffects)
{
    StartLevel();
    AnswerWrong();
    const int counter = player->deathAnimCounter;
    const int time = level->timeLeft;
    const float scale = renderer->scaleX;
    const float promptAlpha = TextParticles("Get 3 Right")[0]->alpha;
    const size_t particles = Particles().size();

    harness->Press(KEY_P);
    harness->Frame();
    ASSERT_EQ(game->paused, 1);
    harness->Type("1");
    harness->Frames(60);
    EXPECT_EQ(player->deathAnimCounter, counter);
    EXPECT_EQ(level->timeLeft, time);
    EXPECT_EQ(renderer->scaleX, scale);
    EXPECT_EQ(TextParticles("Get 3 Right")[0]->alpha, promptAlpha);
    EXPECT_EQ(Particles().size(), particles);

    harness->Press(KEY_P);
    harness->Frame();
    EXPECT_EQ(player->deathAnimCounter, counter - 1);
    EXPECT_EQ(level->timeLeft, time - 1);
}

// After each frame the game says how many ticks to come will draw its picture again unchanged, and the
// frame timer sleeps through them. Played through idling, both answers, both zooms, a pause and the
// time running out, no frame within such a promise may show anything new, and while nothing is typed
// most frames are promised.
TEST_F(GameplayTest, TheTicksSaidUnchangedShowNothingNew)
{
    StartLevel();
    int promised = 0, idle = 0, idlePromised = 0;
    auto frame = [&](bool typed) {
        if (typed)
            promised = 0;
        const uint64_t before = PresentedFrameCount();
        harness->Frame();
        if (promised > 0) {
            ++idlePromised;
            EXPECT_EQ(PresentedFrameCount(), before)
                << "a promised frame changed the picture on " << ScreenName() << ", " << level->timeLeft << " left";
        }
        idle += !typed;
        promised = std::max(promised - 1, game->TicksUnchanged(7));
        EXPECT_LE(promised, 7);
    };
    auto type = [&](const std::string& text) {
        for (char c : text) {
            harness->Type(std::string(1, c));
            frame(true);
        }
    };
    auto wait = [&](int frames) {
        for (int i = 0; i < frames; ++i)
            frame(false);
    };
    wait(300);
    type(WrongText());
    wait(200);
    type(std::to_string(level->answer));
    wait(150);
    harness->Press(KEY_P);
    frame(true);
    ASSERT_EQ(game->paused, 1);
    wait(60);
    harness->Press(KEY_P);
    frame(true);
    EXPECT_GT(idlePromised * 2, idle) << "fewer than half the untyped frames were promised unchanged";
    // The last frames of the clock: the one that empties it starts the time-up animation.
    level->timeLeft = 130;
    promised = 0;
    wait(250);
    EXPECT_EQ(ScreenName(), "Game Over");
    // The goal reached: the success zoom, then the level's tally.
    StartLevel();
    promised = 0;
    wait(120);
    for (int i = 0; i < 3; ++i) {
        type(std::to_string(level->answer));
        wait(20);
    }
    wait(100);
    EXPECT_EQ(ScreenName(), "Level Complete");
}
