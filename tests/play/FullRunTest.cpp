// A whole run in every mode: the test reads each question, works the answer out itself, answers (with
// one mistake a level), keeps its own tally, and checks every screen's numbers against it up to the
// game over at level 5.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "play/GameOverScreen.h"
#include "play/LevelCompleteScreen.h"
#include "play/ScreenTestSupport.h"

namespace {

// The answer of "a + b =", "a - b =", "a x b =" or "d / b =", and its operator.
int Solve(const std::string& question, char& op)
{
    std::istringstream in(question);
    long a = 0, b = 0;
    std::string sign, equals;
    in >> a >> sign >> b >> equals;
    EXPECT_TRUE(in && equals == "=" && sign.size() == 1) << question;
    op = sign.empty() ? '?' : sign[0];
    switch (op) {
    case '+': return int(a + b);
    case '-': return int(a - b);
    case 'x': return int(a * b);
    case '/': EXPECT_EQ(a % b, 0) << question; return int(a / b);
    }
    ADD_FAILURE() << "unknown question " << question;
    return 0;
}

struct TTally {
    int score = 0, combo = 0, biggest = 0, wrong = 0, levelBest = 0;

    void Right()
    {
        ++combo;
        score += 10 + 2 * (combo - 1);
        biggest = std::max(biggest, combo);
        levelBest = std::max(levelBest, combo);
    }
    void Wrong()
    {
        ++wrong;
        combo = 0;
    }
};

void PlayRun(int modeKey, const std::set<char>& expectedOps)
{
    GameHarness h(1000 + modeKey);
    h.Press(KEY_1 + modeKey - 1);
    h.Frame();
    ASSERT_EQ(ScreenName(), "Game");
    ASSERT_EQ(profile->gameMode, modeKey - 1);

    TTally tally;
    std::set<char> opsSeen;
    auto answer = [&](bool right) {
        char op = '?';
        const int solved = Solve(level->currentQuestion, op);
        opsSeen.insert(op);
        ASSERT_EQ(solved, level->answer) << level->currentQuestion;
        TypeAnswer(h, right ? std::to_string(solved) : WrongAnswer());
        right ? tally.Right() : tally.Wrong();
        EXPECT_EQ(profile->score, tally.score);
        WaitUntilAnswering(h);
    };

    for (int levelNumber = 1; levelNumber <= 4; ++levelNumber) {
        SCOPED_TRACE(levelNumber);
        ASSERT_EQ(ScreenName(), "Game");
        ASSERT_EQ(profile->level, levelNumber);
        tally.combo = tally.levelBest = 0;
        const int goal = std::min(levelNumber + 2, 10);
        // One right, one wrong, then the rest right: the combo breaks once in every level.
        answer(true);
        answer(false);
        for (int i = 1; i < goal; ++i)
            answer(true);
        ASSERT_TRUE(RunUntilScreen(h, "Level Complete", 80));
        auto screen = std::dynamic_pointer_cast<TLevelCompleteScreen>(game->currentScreen);
        const int bonus = 2 * int(std::floor(level->timeLeft * double(16.666666f) / 1000.0));
        EXPECT_EQ(ColumnTexts(screen->numColumn)[0], PadWithZeros(std::to_string(tally.score), 5));
        EXPECT_EQ(ColumnTexts(screen->numColumn)[2], "+ " + std::to_string(bonus) + " points");
        EXPECT_EQ(ColumnTexts(screen->numColumn)[3], std::to_string(tally.levelBest));
        tally.score += bonus;
        h.Press(KEY_SPACE);
        h.Frame();
    }

    // Level 5: two right answers, then the time runs out. The countdown itself is the level's to
    // test; starting the last two seconds at once spares some two thousand drawn frames per mode.
    ASSERT_EQ(profile->level, 5);
    ASSERT_EQ(level->timeLeft, 2400);
    tally.combo = 0;
    answer(true);
    answer(true);
    level->timeLeft = std::min(level->timeLeft, 120);
    ASSERT_TRUE(RunUntilScreen(h, "Game Over", 120 + 80));
    auto over = std::dynamic_pointer_cast<TGameOverScreen>(game->currentScreen);
    EXPECT_EQ(ColumnTexts(over->numColumn),
              (std::vector<std::string>{PadWithZeros(std::to_string(tally.score), 5), "5",
                                        std::to_string(tally.biggest), std::to_string(tally.wrong)}));
    EXPECT_EQ(tally.wrong, 4);
    EXPECT_EQ(opsSeen, expectedOps);
}

}  // namespace

TEST(FullRun, AdditionToLevelFive) { PlayRun(1, {'+'}); }
TEST(FullRun, SubtractionToLevelFive) { PlayRun(2, {'-'}); }
TEST(FullRun, MultiplicationToLevelFive) { PlayRun(3, {'x'}); }
TEST(FullRun, DivisionToLevelFive) { PlayRun(4, {'/'}); }
TEST(FullRun, AllOfTheAboveToLevelFive) { PlayRun(5, {'+', '-', 'x', '/'}); }
