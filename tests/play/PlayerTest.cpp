// Whole levels played frame by frame: judging, scoring, combo pitch, effects and the two animations.
#include "GameplayFixture.h"

#include "shell/Helpers.h"

namespace {

float Rate(const TChannelPtr& channel)
{
    return channel ? channel->Rate() : -1.0f;
}

}  // namespace

TEST_F(GameplayTest, ThreeRightAnswersWinLevelOneAfterTheSuccessAnimation)
{
    StartLevel();
    ASSERT_EQ(ScreenName(), "Game");
    EXPECT_EQ(player->goal, 3);
    EXPECT_EQ(player->x, 512.0f);
    EXPECT_EQ(player->y, 368.0f);
    ASSERT_EQ(TextParticles("Get 3 Right").size(), 1u);

    const int expectedScores[] = {10, 22, 36};
    for (int i = 0; i < 3; ++i) {
        const std::string typed = std::to_string(level->answer);
        const std::string before = level->currentQuestion;
        AnswerRight();
        EXPECT_EQ(profile->score, expectedScores[i]);
        EXPECT_EQ(player->combo, i + 1);
        EXPECT_EQ(player->levelScore, i + 1);
        EXPECT_FLOAT_EQ(Rate(player->channelCorrect), float(MajorScaleRate(i)));
        EXPECT_NE(level->currentQuestion, before);
        EXPECT_EQ(player->answerInput->text, "");
        // The typed number falls away in green.
        auto numbers = TextParticles(typed);
        ASSERT_FALSE(numbers.empty());
        ExpectColor(numbers.back(), 50, 150, 50);
        EXPECT_EQ(numbers.back()->speedY, 8.0f);
        if (i == 1) {
            EXPECT_EQ(hud->goalLabel->stat->text, "2/3");
            EXPECT_EQ(hud->comboLabel->stat->text, "2");
            EXPECT_EQ(hud->scoreLabel->stat->text, "00022");
        }
    }
    // "Good" after the first two only; the third shows "AWESOME!" and starts the 70-frame zoom,
    // stepped once already in the frame of the answer.
    EXPECT_EQ(TextParticles("Good").size(), 2u);
    ASSERT_EQ(TextParticles("AWESOME!").size(), 1u);
    EXPECT_EQ(player->successAnimCounter, 69);
    EXPECT_NEAR(renderer->scaleX, 1.01f, 1e-5);
    EXPECT_EQ(profile->biggestCombo, 3);
    EXPECT_EQ(player->bestCombo, 3);

    const int timeAtGoal = level->timeLeft;
    harness->Frames(68);
    EXPECT_EQ(ScreenName(), "Game");
    EXPECT_EQ(level->timeLeft, timeAtGoal);   // held for the bonus
    EXPECT_NEAR(renderer->scaleX, 1.69f, 1e-4);
    harness->Frame();
    EXPECT_EQ(ScreenName(), "Level Complete");
    EXPECT_EQ(renderer->scaleX, 1.0f);
    EXPECT_EQ(profile->score, 36);
    EXPECT_EQ(level->timeLeft, timeAtGoal);
}

TEST_F(GameplayTest, WrongAnswerBreaksTheComboAndRestartsAfterFortyFrames)
{
    StartLevel(TProfile::MODE_ADDITION, 1, 777);
    AnswerRight();
    AnswerRight();
    ASSERT_EQ(player->combo, 2);
    const int rightAnswer = level->answer;
    const std::string wrong = WrongText();
    const float questionWidth = level->questionLabel->GetWidth(0);

    TypeText(wrong);
    const int timeAfterAnswer = level->timeLeft;
    EXPECT_EQ(player->combo, 0);
    EXPECT_EQ(profile->wrongAnswers, 1);
    EXPECT_EQ(profile->score, 22);
    EXPECT_EQ(hud->comboLabel->stat->text, "0");
    EXPECT_EQ(hud->goalLabel->stat->text, "2/3");
    EXPECT_EQ(player->deathAnimCounter, 39);
    EXPECT_NEAR(renderer->scaleX, 1.02f, 1e-5);

    // The right answer in yellow right of the old question, the typed text in red falling.
    auto shown = TextParticles(std::to_string(rightAnswer));
    ASSERT_FALSE(shown.empty());
    ExpectColor(shown.back(), 200, 200, 50);
    EXPECT_EQ(shown.back()->originalX, float(int(512.0f + questionWidth / 2.0f + 100.0f)));
    EXPECT_EQ(shown.back()->originalY, 305.0f);
    auto typed = TextParticles(wrong);
    ASSERT_FALSE(typed.empty());
    ExpectColor(typed.back(), 150, 50, 50);
    EXPECT_EQ(ImageParticles("particlering"), 1);
    EXPECT_EQ(ImageParticles("explosion"), 8);

    // Input is ignored while dying; the timer runs on.
    harness->Type("5");
    harness->Frames(38);
    EXPECT_EQ(player->deathAnimCounter, 1);
    EXPECT_EQ(level->timeLeft, timeAfterAnswer - 38);
    EXPECT_TRUE(TextParticles("Get 1 Right").empty());
    harness->Frame();
    EXPECT_EQ(player->deathAnimCounter, 0);
    EXPECT_EQ(renderer->scaleX, 1.0f);
    EXPECT_EQ(TextParticles("Get 1 Right").size(), 1u);
    EXPECT_EQ(player->answerInput->text, "");   // the "5" typed while dying was cleared

    AnswerRight();
    EXPECT_EQ(profile->score, 32);
    EXPECT_FLOAT_EQ(Rate(player->channelCorrect), 1.0f);
    EXPECT_EQ(player->bestCombo, 2);
}

TEST_F(GameplayTest, TheComboPitchClimbsAnOctaveAndTheScoreKeepsGrowing)
{
    StartLevel(TProfile::MODE_MULTIPLICATION, 8);   // goal 10, so nine in a row do not end the level
    ASSERT_EQ(player->goal, 10);
    int total = 0;
    for (int i = 1; i <= 9; ++i) {
        const int before = profile->score;
        AnswerRight();
        total += profile->score - before;
        EXPECT_EQ(profile->score - before, 10 + 2 * (i - 1));
    }
    EXPECT_EQ(total, 162);
    EXPECT_FLOAT_EQ(Rate(player->channelCorrect), 2.0f);
    EXPECT_EQ(player->successAnimCounter, 0);
    EXPECT_EQ(hud->comboLabel->stat->text, "9");
    EXPECT_EQ(hud->scoreLabel->stat->text, "00162");
}

TEST_F(GameplayTest, AnswersAreJudgedAtTheAnswerLengthOrOnEnter)
{
    StartLevel();
    // Two digits: the first judges nothing, the second judges at once without Enter.
    level->answer = 12;
    TypeChar('1');
    EXPECT_EQ(player->answerInput->text, "1");
    EXPECT_EQ(player->levelScore + profile->wrongAnswers, 0);
    TypeChar('2');
    EXPECT_EQ(player->levelScore, 1);

    // Enter confirms a shorter entry; a leading zero counts for nothing (07 reads as 7).
    level->answer = 12;
    TypeChar('0');
    TypeChar('7');
    EXPECT_EQ(profile->wrongAnswers, 1);
    harness->Frames(39);
    ASSERT_EQ(player->deathAnimCounter, 0);

    level->answer = 0;
    TypeChar('0');
    EXPECT_EQ(player->levelScore, 2);
    EXPECT_EQ(profile->wrongAnswers, 1);

    // An empty field confirmed by Enter reads as 0: right for answer 0 ...
    level->answer = 0;
    PressEnter();
    EXPECT_EQ(player->levelScore, 3);
    EXPECT_EQ(player->successAnimCounter, 69);
}

TEST_F(GameplayTest, EmptyEnterOnANonZeroAnswerShowsOnlyTheRightAnswer)
{
    StartLevel();
    level->answer = 7;
    PressEnter();
    EXPECT_EQ(profile->wrongAnswers, 1);
    EXPECT_EQ(TextParticles("7").size(), 1u);
    ExpectColor(TextParticles("7")[0], 200, 200, 50);
    // Nothing else but the prompt, the ring and the explosions: no red typed text.
    EXPECT_EQ(Particles().size(), 1u + 1u + 1u + 8u);

    // A digit shorter than the answer does not slip through once the lengths match.
    harness->Frames(39);
    level->answer = 7;
    TypeChar('0');
    EXPECT_EQ(profile->wrongAnswers, 2);
}

TEST_F(GameplayTest, ExplosionsDrawTheirRandomNumbersInOrder)
{
    StartLevel();
    const std::string wrong = WrongText();
    TypeText(wrong.substr(0, wrong.size() - 1));
    // The explosions are the first random draws of the judging frame.
    SeedRandom(31337);
    TypeChar(wrong.back());
    SeedRandom(31337);
    std::vector<TParticlePtr> explosions;
    const TGameImagePtr image = imageBank->Find("explosion");
    for (const TParticlePtr& p : Particles())
        if (p->gameImage == image)
            explosions.push_back(p);
    ASSERT_EQ(explosions.size(), 8u);
    for (const TParticlePtr& p : explosions) {
        const int ey = RandomInt(318, 418);
        const int ex = RandomInt(462, 562);
        const float r = float(RandomFloat(0.05, 0.1));
        const int spin = RandomInt(10, 30);
        // One frame of particle logic has run since: scale and spin have moved on once.
        EXPECT_EQ(p->originalX, float(ex));
        EXPECT_EQ(p->originalY, float(ey));
        EXPECT_FLOAT_EQ(p->scaleXDelta, r);
        EXPECT_FLOAT_EQ(p->scaleYDelta, r);
        EXPECT_FLOAT_EQ(p->rotationDelta, float(spin));
        EXPECT_FLOAT_EQ(p->scaleX, 0.3f + r);
        EXPECT_FLOAT_EQ(p->alphaDelta, -0.04f);
        EXPECT_EQ(p->useRendererCamera, 1);
    }
    const TGameImagePtr ring = imageBank->Find("particlering");
    for (const TParticlePtr& p : Particles())
        if (p->gameImage == ring) {
            EXPECT_EQ(p->originalX, 512.0f);
            EXPECT_EQ(p->originalY, 368.0f);
            EXPECT_FLOAT_EQ(p->scaleX, 1.1f);
        }
}

TEST_F(GameplayTest, TimeUpShowsTheWordAndEndsTheRunEightyFramesLater)
{
    StartLevel();
    EXPECT_EQ(level->timeLeft, 3600);
    harness->Frames(10);
    EXPECT_EQ(level->timeLeft, 3590);
    level->timeLeft = 2;
    harness->Frame();
    EXPECT_EQ(level->timeLeft, 1);
    EXPECT_EQ(player->deathAnimCounter, 0);

    level->answer = 9;   // the digit typed in this frame must not be judged: the time-up comes first
    harness->Type("9");
    harness->Frame();
    EXPECT_EQ(level->timeLeft, 0);
    EXPECT_EQ(profile->lives, 0);
    EXPECT_EQ(player->deathAnimCounter, 79);
    ASSERT_EQ(TextParticles("TIME UP!").size(), 1u);
    ExpectColor(TextParticles("TIME UP!")[0], 255, 0, 0);
    EXPECT_EQ(TextParticles("TIME UP!")[0]->useRendererCamera, 0);
    EXPECT_EQ(profile->wrongAnswers, 0);
    EXPECT_EQ(player->levelScore, 0);

    harness->Frames(78);
    EXPECT_EQ(ScreenName(), "Game");
    EXPECT_EQ(level->timeLeft, 0);
    EXPECT_NEAR(renderer->scaleX, 1.0f + 0.02f * 79, 1e-3);
    harness->Frame();
    EXPECT_EQ(ScreenName(), "Game Over");
    EXPECT_EQ(renderer->scaleX, 1.0f);
}

TEST_F(GameplayTest, TimeUpDuringAWrongAnswerLengthensTheAnimationToEighty)
{
    StartLevel();
    AnswerWrong();
    ASSERT_EQ(player->deathAnimCounter, 39);
    harness->Frames(9);
    level->timeLeft = 1;
    harness->Frame();
    EXPECT_EQ(player->deathAnimCounter, 79);
    EXPECT_EQ(ImageParticles("explosion"), 16);
    harness->Frames(78);
    EXPECT_EQ(ScreenName(), "Game");
    EXPECT_NEAR(renderer->scaleX, 1.0f + 0.02f * 89, 1e-3);
    harness->Frame();
    EXPECT_EQ(ScreenName(), "Game Over");
    EXPECT_EQ(profile->wrongAnswers, 1);
}
