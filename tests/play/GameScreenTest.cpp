// The game screen: level start, Escape, the developer keys, pause, and what a frame looks like.
#include "GameplayFixture.h"

#include "platform/Testing.h"
#include "toolkit/ParticleList.h"

#include <algorithm>
#include <cmath>

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

// A level's clock counts frames, and a frame waits for its tick and for the display's refresh: over
// 20 s of a display refreshing 60, 50 or 30 times a second a level runs as many frames as the display
// refreshes, however much of its picture stands still. The window system's wait (here: the time passes
// and nothing comes) must not let any of them run without its refresh.
TEST_F(GameplayTest, ALevelRunsOneFrameForEachRefreshOfTheDisplay)
{
    UseEventAwaiter([](int ms) {
        SleepMillis(ms);
        return false;
    });
    for (int hz : {60, 50, 30}) {
        StartLevel();
        UseFakeRefreshRate(hz);
        harness->Frame();
        const int left = level->timeLeft;
        const uint64_t start = ClockMillis();
        while (ClockMillis() - start < 20000)
            harness->Frame();
        EXPECT_NEAR(left - level->timeLeft, 20 * hz, 1) << hz << " Hz";
    }
}

// Digits that arrive together, as a quick typist's "4" and "2" do, are taken one a frame on consecutive
// frames: nothing may sleep past the second while the first is being taken.
TEST_F(GameplayTest, DigitsThatArriveTogetherAreTakenOnConsecutiveFrames)
{
    UseEventAwaiter([](int ms) {
        SleepMillis(ms);
        return false;
    });
    StartLevel(TProfile::MODE_ADDITION, 5);
    // Until the level's prompt has gone, so that nothing on the screen moves but the clock and the cursor.
    harness->Frames(300);
    const std::string answer = std::to_string(level->answer);
    ASSERT_GE(answer.size(), 2u);
    const uint64_t typed = ClockMillis();
    harness->Type(answer);
    harness->Frame();
    ASSERT_EQ(player->answerInput->text, answer.substr(0, 1));
    harness->Frames(int(answer.size()) - 1);
    EXPECT_EQ(player->levelScore, 1);
    // Each of those frames came at its tick, the first at the one after the keys.
    EXPECT_EQ(ClockMillis() - typed, 16u * answer.size());
}

// The frame that takes the level's last frame off its clock ends its play, and an answer completed after
// the tick before it loses to the time-up, however the wait for that tick went: here the window system's
// wait brings the answer's last digit 8 ms after that tick.
TEST_F(GameplayTest, AnAnswerCompletedAfterTheLastTickButOneLosesToTheTimeUp)
{
    StartLevel(TProfile::MODE_ADDITION, 5);
    harness->Frames(300);
    const std::string answer = std::to_string(level->answer);
    for (size_t i = 0; i + 1 < answer.size(); ++i) {
        harness->Type(answer.substr(i, 1));
        harness->Frame();
    }
    level->timeLeft = 6;
    harness->Frame();
    ASSERT_EQ(level->timeLeft, 5);
    // Every frame here ends with the loop's 1 ms sleep; four frames on, the clock leaves one frame.
    const uint64_t lastTickButOne = ClockMillis() - 1 + 4 * 16, keyAt = lastTickButOne + 8;
    bool typed = false;
    auto type = [&] {
        harness->Type(answer.substr(answer.size() - 1));
        typed = true;
    };
    UseEventAwaiter([&](int ms) {
        const uint64_t now = ClockMillis();
        if (typed || keyAt >= now + uint64_t(ms)) {
            SleepMillis(ms);
            return false;
        }
        SleepMillis(int(keyAt - now));
        type();
        return true;
    });
    for (int i = 0; i < 10 && level->timeLeft > 0; ++i) {
        // A key that comes while the frame waits for its tick.
        if (!typed && keyAt <= ClockMillis() - 1 + 16)
            type();
        harness->Frame();
    }
    EXPECT_TRUE(typed);
    EXPECT_EQ(level->timeLeft, 0);
    EXPECT_EQ(player->levelScore, 0);
    EXPECT_EQ(TextParticles("TIME UP!").size(), 1u);
}

TEST_F(GameplayTest, MoreTimeStretchesEveryLevelsLimitAndMarksTheBar)
{
    // The usual level has no mark; one with more time counts its longer limit down to the frame.
    StartLevel();
    EXPECT_FALSE(hud->moreTimeLabel);
    modes.timePercent = 150;
    StartLevel();
    EXPECT_EQ(level->timeLimit, 5400);
    ASSERT_TRUE(hud->moreTimeLabel);
    EXPECT_EQ(hud->moreTimeLabel->text, "x1.5");
    harness->Frame();
    EXPECT_EQ(hud->timeLabel->text, "90");
    EXPECT_EQ(THUD::TimerBarFill(level->timeLeft, level->timeLimit), 399);
    harness->Frames(5398);
    EXPECT_EQ(level->timeLeft, 1);
    EXPECT_EQ(profile->lives, 1);
    harness->Frame();
    EXPECT_EQ(profile->lives, 0);
    EXPECT_EQ(TextParticles("TIME UP!").size(), 1u);

    // The shortest level too, and a factor in quarters.
    modes.timePercent = 125;
    StartLevel(TProfile::MODE_ADDITION, 12);
    EXPECT_EQ(level->timeLimit, 1125);
    EXPECT_EQ(hud->moreTimeLabel->text, "x1.25");
}

namespace {

// WCAG's contrast ratio of two colours, from their relative luminance.
double Contrast(int r1, int g1, int b1, int r2, int g2, int b2)
{
    const auto channel = [](int c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const auto luminance = [&](int r, int g, int b) {
        return 0.2126 * channel(r) + 0.7152 * channel(g) + 0.0722 * channel(b);
    };
    const double a = luminance(r1, g1, b1), b = luminance(r2, g2, b2);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

}  // namespace

TEST_F(GameplayTest, CalmModeKeepsTheCameraStillFadesTheExplosionsAndAsksTheSameQuestions)
{
    // One wrong answer's animation in either mode, from the same seed: what moves, and how much of the
    // picture is drawn again each frame.
    struct TSeen {
        float largestScale = 0.0f;
        int explosions = 0;
        bool explosionsMove = false;
        uint64_t drawnArea = 0;
        std::string nextQuestion;
        TParticlePtr typed;
    };
    const auto play = [&](bool calm) {
        modes.calm = calm;
        StartLevel();
        harness->Frames(5);
        TSeen seen;
        const std::string typed = WrongText();
        AnswerWrong();
        seen.explosions = ImageParticles("explosion");
        const uint64_t areaBefore = DrawnAreaCount();
        for (int i = 0; i < 39; ++i) {
            harness->Frame();
            seen.largestScale = std::max({seen.largestScale, renderer->scaleX, renderer->scaleY});
            for (const TParticlePtr& p : Particles())
                if (p->gameImage && (p->rotation != 0.0f || p->scaleXDelta != 0.0f || p->x != player->x ||
                                     p->y != player->y))
                    seen.explosionsMove = true;
        }
        seen.drawnArea = (DrawnAreaCount() - areaBefore) / 39;
        seen.nextQuestion = level->currentQuestion;
        const std::vector<TParticlePtr> numbers = TextParticles(typed);
        seen.typed = numbers.empty() ? nullptr : numbers.back();
        return seen;
    };
    const TSeen full = play(false);
    const TSeen calm = play(true);
    EXPECT_NEAR(full.largestScale, 1.78f, 0.0001f);
    EXPECT_EQ(calm.largestScale, 1.0f);
    EXPECT_EQ(renderer->scrollX, 0.0f);
    EXPECT_EQ(renderer->scrollY, 0.0f);
    EXPECT_EQ(full.explosions, 8);
    EXPECT_TRUE(full.explosionsMove);
    EXPECT_EQ(calm.explosions, 1);
    EXPECT_FALSE(calm.explosionsMove);
    // A class sharing a seed is asked the same questions whichever mode each child plays in.
    EXPECT_EQ(calm.nextQuestion, full.nextQuestion);
    // The still camera leaves most of what the zoom redrew alone (bench/calm_motion gives the figures).
    EXPECT_LT(calm.drawnArea * 2, full.drawnArea);

    // The red falling number can be read against the background in the calm and spoken modes; the
    // usual one keeps its colour.
    ASSERT_TRUE(full.typed && calm.typed);
    ExpectColor(full.typed, 150, 50, 50);
    const TColorPtr background = game->clsColor;
    EXPECT_GE(Contrast(calm.typed->color->R, calm.typed->color->G, calm.typed->color->B, background->R,
                       background->G, background->B),
              3.0);
    modes.calm = false;
    modes.speak = true;
    ListenToSpeech([](const std::string&) {});
    StartLevel();
    AnswerWrong();
    ListenToSpeech(nullptr);
    const TParticlePtr spokenTyped = Particles().back();
    ExpectColor(spokenTyped, calm.typed->color->R, calm.typed->color->G, calm.typed->color->B);
}
