// The run profile, question generation over many seeded draws, and the time allowed per level.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "platform/Random.h"
#include "play/Level.h"
#include "play/Profile.h"
#include "shell/Globals.h"

namespace {

struct TParsed {
    int left = 0;
    char op = '?';
    int right = 0;
    bool ok = false;
};

// "a op b =" back into its parts; ok only for exactly that shape.
TParsed Parse(const std::string& text)
{
    TParsed p;
    char tail[4] = {};
    int used = 0;
    if (std::sscanf(text.c_str(), "%d %c %d %3s%n", &p.left, &p.op, &p.right, tail, &used) == 4)
        p.ok = std::string(tail) == "=" && used == int(text.size());
    return p;
}

class QuestionTest : public ::testing::Test {
protected:
    void SetUp() override { profile = TProfile::Create(); }
    void TearDown() override { profile = nullptr; }
};

}  // namespace

TEST(ProfileTest, StartsAFreshRunAndKeepsLivesAtZeroOrAbove)
{
    TProfilePtr p = TProfile::Create();
    EXPECT_EQ(p->level, 1);
    EXPECT_EQ(p->lives, 1);
    EXPECT_EQ(p->gameMode, TProfile::MODE_ADDITION);
    EXPECT_EQ(p->score + p->biggestCombo + p->wrongAnswers, 0);

    p->UpdateLives(-1);
    EXPECT_EQ(p->lives, 0);
    p->UpdateLives(-1);
    EXPECT_EQ(p->lives, 0);
    p->UpdateLives(-1000);
    EXPECT_EQ(p->lives, 0);
    p->UpdateLives(3);
    EXPECT_EQ(p->lives, 3);

    p->UpdateScore(250);
    p->UpdateScore(-50);
    EXPECT_EQ(p->score, 200);
    EXPECT_EQ(TProfile::MODE_ALL, 4);
}

TEST_F(QuestionTest, EveryOperationStaysInRangeIsExactAndNeverRepeats)
{
    const int levels[] = {1, 2, 5, 10, 25};
    for (int mode = TProfile::MODE_ADDITION; mode <= TProfile::MODE_DIVISION; ++mode) {
        for (int L : levels) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " level " + std::to_string(L));
            SeedRandom(1000 * mode + L);
            profile->gameMode = mode;
            profile->level = L;
            TLevelPtr lv = TLevel::Create();
            const int sumMax = 2 * L + 2;
            const int productMax = L + 2;
            std::set<int> seenLeft;
            std::string previous;
            for (int i = 0; i < 2000; ++i) {
                lv->GenerateQuestion();
                ASSERT_NE(lv->currentQuestion, previous);
                previous = lv->currentQuestion;
                const TParsed q = Parse(lv->currentQuestion);
                ASSERT_TRUE(q.ok) << lv->currentQuestion;
                switch (mode) {
                case TProfile::MODE_ADDITION:
                    ASSERT_EQ(q.op, '+');
                    ASSERT_TRUE(q.left >= 1 && q.left <= sumMax && q.right >= 1 && q.right <= sumMax)
                        << lv->currentQuestion;
                    ASSERT_EQ(lv->answer, q.left + q.right);
                    seenLeft.insert(q.left);
                    break;
                case TProfile::MODE_SUBTRACTION:
                    ASSERT_EQ(q.op, '-');
                    ASSERT_TRUE(q.left >= 1 && q.left <= sumMax && q.right >= 1 && q.right <= sumMax)
                        << lv->currentQuestion;
                    ASSERT_GE(lv->answer, 0);
                    ASSERT_EQ(lv->answer, q.left - q.right);
                    seenLeft.insert(q.right);
                    break;
                case TProfile::MODE_MULTIPLICATION:
                    ASSERT_EQ(q.op, 'x');
                    ASSERT_TRUE(q.left >= 1 && q.left <= productMax && q.right >= 1 && q.right <= productMax)
                        << lv->currentQuestion;
                    ASSERT_EQ(lv->answer, q.left * q.right);
                    seenLeft.insert(q.left);
                    break;
                case TProfile::MODE_DIVISION:
                    ASSERT_EQ(q.op, '/');
                    ASSERT_TRUE(q.right >= 1 && q.right <= productMax) << lv->currentQuestion;
                    ASSERT_TRUE(lv->answer >= 1 && lv->answer <= productMax) << lv->currentQuestion;
                    ASSERT_EQ(q.left, lv->answer * q.right) << lv->currentQuestion;
                    seenLeft.insert(lv->answer);
                    break;
                }
            }
            // The whole range is reached, not just part of it (both ends included).
            const int expectedMax = mode <= TProfile::MODE_SUBTRACTION ? sumMax : productMax;
            EXPECT_EQ(int(seenLeft.size()), expectedMax);
            EXPECT_EQ(*seenLeft.begin(), 1);
            EXPECT_EQ(*seenLeft.rbegin(), expectedMax);
        }
    }
}

TEST_F(QuestionTest, OperandsAreDrawnInOrderAndSubtractionRedrawsThePair)
{
    // Replays depend on the exact sequence of draws: a, then b; the whole pair again for subtraction.
    for (int seed = 1; seed <= 200; ++seed) {
        profile->level = 3;
        profile->gameMode = TProfile::MODE_SUBTRACTION;
        SeedRandom(seed);
        int a = 0, b = 0;
        do {
            a = RandomInt(1, 8);
            b = RandomInt(1, 8);
        } while (a < b);
        SeedRandom(seed);
        TLevelPtr lv = TLevel::Create();
        lv->GenerateQuestion();
        ASSERT_EQ(lv->currentQuestion, std::to_string(a) + " - " + std::to_string(b) + " =");

        // All modes: the operation first, then the operands of that operation.
        profile->gameMode = TProfile::MODE_ALL;
        SeedRandom(seed);
        const int op = RandomInt(0, 3);
        const int x = RandomInt(1, op <= 1 ? 8 : 5);
        const int y = RandomInt(1, op <= 1 ? 8 : 5);
        SeedRandom(seed);
        TLevelPtr all = TLevel::Create();
        all->GenerateQuestion();
        if (op == 0)
            ASSERT_EQ(all->currentQuestion, std::to_string(x) + " + " + std::to_string(y) + " =");
        else if (op == 2)
            ASSERT_EQ(all->currentQuestion, std::to_string(x) + " x " + std::to_string(y) + " =");
        else if (op == 3)
            ASSERT_EQ(all->currentQuestion, std::to_string(x * y) + " / " + std::to_string(y) + " =");
        else
            ASSERT_EQ(Parse(all->currentQuestion).op, '-');
    }
}

TEST_F(QuestionTest, AllModesPicksEveryOperationAndStillNeverRepeats)
{
    SeedRandom(99);
    profile->gameMode = TProfile::MODE_ALL;
    profile->level = 1;
    TLevelPtr lv = TLevel::Create();
    int counts[128] = {};
    std::string previous;
    for (int i = 0; i < 4000; ++i) {
        lv->GenerateQuestion();
        ASSERT_NE(lv->currentQuestion, previous);
        previous = lv->currentQuestion;
        const TParsed q = Parse(lv->currentQuestion);
        ASSERT_TRUE(q.ok);
        ++counts[int(q.op)];
    }
    // Roughly even: each of the four near a quarter of the draws.
    for (char op : {'+', '-', 'x', '/'})
        EXPECT_GT(counts[int(op)], 800) << op;

    // Level 1 division has only nine texts; two in a row still never match.
    profile->gameMode = TProfile::MODE_DIVISION;
    for (int i = 0; i < 500; ++i) {
        lv->GenerateQuestion();
        ASSERT_NE(lv->currentQuestion, previous);
        previous = lv->currentQuestion;
    }
}

TEST(LevelTimeTest, TimeAllowedShrinksByFiveSecondsAndStopsAtFifteen)
{
    const int expected[] = {3600, 3300, 3000, 2700, 2400, 2100, 1800, 1500, 1200, 900, 900, 900};
    for (int L = 1; L <= 12; ++L)
        EXPECT_EQ(TLevel::TimeLimitForLevel(L), expected[L - 1]) << "level " << L;
    EXPECT_EQ(TLevel::TimeLimitForLevel(100), 900);
}
