// Whole-game tests of the screen flow: every arrow from the title through play, the level-complete
// tally, the game-over statistics and back, with the music of each screen and no input leaking across.
#include <gtest/gtest.h>

#include <cmath>

#include "play/GameOverScreen.h"
#include "play/LevelCompleteScreen.h"
#include "play/ScreenTestSupport.h"
#include "play/TitleScreen.h"
#include "support/game/GameHarness.h"

namespace {

// Sits first on the screen stack, where the game draws it but never runs its logic; counts frames drawn.
class TDrawProbe : public TScreen {
public:
    int Draw() override { return ++draws; }
    int draws = 0;
};

int Bonus(int framesLeft)
{
    // Two points per whole second; the frame is a hair under 1/60 s, so 600 frames are not quite 10 s.
    return 2 * int(std::floor(framesLeft * double(16.666666f) / 1000.0));
}

}  // namespace

TEST(ScreenFlow, TitleChoosesEachModeByEitherDigitAndIgnoresOtherKeys)
{
    GameHarness h;
    ASSERT_EQ(ScreenName(), "Title");
    h.Frame();
    EXPECT_TRUE(MusicIs("title.ogg"));
    EXPECT_EQ(profile, nullptr);

    // Everything the title shows: the name, the prompt, the menu and the way out.
    std::vector<TScreenText> texts = {{"Calcadia", -1, 10, 1.5f, 3.0f, 100, 150, 255, 3.0f},
                                      {"Choose a Mode:", 300, 200, 0.5f, 0.8f, 100, 255, 100, 2.0f}};
    AddColumn(texts, 300, 260, {"1:", "2:", "3:", "4:", "5:"}, 255, 255, 255);
    AddColumn(texts, 350, 260, {"Addition", "Subtraction", "Multiplication", "Division", "All of the Above"},
              150, 255, 255);
    texts.push_back({"Press <Esc> to Exit", 300, 668, 0.5f, 0.8f, 255, 255, 0, 2.0f});
    EXPECT_EQ(PixelsOtherThan(h, texts), 0);

    // Keys that mean nothing here: the title stays the very same screen and no run starts.
    auto title = game->currentScreen;
    for (int key : std::initializer_list<int>{'0', '6', '9', KEY_NUMPAD1 + 5, KEY_NUMPAD1 + 8, KEY_SPACE, KEY_ENTER, 'A', 'Z'})
        h.Press(key);
    h.Type("12345");
    h.Click(1);
    h.Frames(2);
    EXPECT_EQ(game->currentScreen, title);
    EXPECT_EQ(profile, nullptr);

    struct Choice {
        std::vector<int> keys;   // hit in one frame
        int mode;
    };
    const Choice choices[] = {
        {{KEY_1}, TProfile::MODE_ADDITION},
        {{KEY_NUMPAD1 + 1}, TProfile::MODE_SUBTRACTION},
        {{KEY_NUMPAD3}, TProfile::MODE_MULTIPLICATION},
        {{KEY_2, KEY_4}, TProfile::MODE_DIVISION},            // the highest digit wins
        {{KEY_5, KEY_NUMPAD1}, TProfile::MODE_ALL},
        {{KEY_NUMPAD4, KEY_3}, TProfile::MODE_DIVISION},      // keypad and main keyboard mixed
    };
    for (const Choice& choice : choices) {
        SCOPED_TRACE(choice.mode);
        ASSERT_EQ(ScreenName(), "Title");
        for (int key : choice.keys)
            h.Press(key);
        h.Frame();
        ASSERT_EQ(ScreenName(), "Game");
        EXPECT_EQ(profile->gameMode, choice.mode);
        EXPECT_TRUE(MusicIs("game.ogg"));
        // Escape from play: back to a new title with its music; the abandoned profile stays as it was.
        auto run = profile;
        h.Frames(5);
        h.Press(KEY_ESCAPE);
        h.Frame();
        ASSERT_EQ(ScreenName(), "Title");
        EXPECT_NE(game->currentScreen, title);
        EXPECT_TRUE(MusicIs("title.ogg"));
        EXPECT_EQ(profile, run);
        EXPECT_EQ(renderer->scaleX, 1.0f);
        title = game->currentScreen;
    }
}

TEST(ScreenFlow, EscapeOnTheTitleEndsTheProgramBeforeAnyDigitAndWithoutDrawing)
{
    GameHarness h;
    auto probe = std::make_shared<TDrawProbe>();
    game->screenStack.items.push_front(probe);
    h.Frame();
    ASSERT_EQ(probe->draws, 1);

    h.Press(KEY_3);
    h.Press(KEY_ESCAPE);
    EXPECT_EQ(h.RunUntilExit(1), 0);
    EXPECT_EQ(probe->draws, 1);
    EXPECT_EQ(profile, nullptr);
    EXPECT_EQ(ScreenName(), "Title");
}

TEST(ScreenFlow, ARunFromTitleThroughAWonAndALostLevelBackToAFreshRun)
{
    GameHarness h(777);

    // Title to game: the digit's typed character and a key held down stay behind on the title.
    h.Press(KEY_3);
    h.Type("3");
    h.KeyDown(KEY_SPACE);
    h.Frame();
    ASSERT_EQ(ScreenName(), "Game");
    EXPECT_EQ(profile->gameMode, TProfile::MODE_MULTIPLICATION);
    EXPECT_TRUE(MusicIs("game.ogg"));
    EXPECT_EQ(KeyIsDown(KEY_SPACE), 0);
    h.Frame();
    EXPECT_EQ(player->answerInput->text, "");
    EXPECT_EQ(level->timeLeft, 3600 - 1);
    h.KeyUp(KEY_SPACE);

    // Level 1 won with three right answers: 10 + 12 + 14 points.
    for (int i = 0; i < 3; ++i)
        TypeAnswer(h, RightAnswer());
    ASSERT_GT(player->successAnimCounter, 0);
    EXPECT_EQ(profile->score, 36);
    const int framesLeft = level->timeLeft;

    // A press and a click in the last frame of the success animation do not close the next screen.
    while (player->successAnimCounter > 1)
        h.Frame();
    h.Press(KEY_SPACE);
    h.Click(1);
    h.Frame();
    ASSERT_EQ(ScreenName(), "Level Complete");
    h.Frame();
    ASSERT_EQ(ScreenName(), "Level Complete");
    EXPECT_TRUE(MusicIs("levelcomplete.ogg"));
    EXPECT_EQ(level->timeLeft, framesLeft);   // frozen while the tally shows

    auto tally = std::dynamic_pointer_cast<TLevelCompleteScreen>(game->currentScreen);
    ASSERT_TRUE(tally);
    EXPECT_EQ(ColumnTexts(tally->statColumn),
              (std::vector<std::string>{"Current Score:", "Time Left:", "Time Bonus:", "Best Combo:"}));
    EXPECT_EQ(ColumnTexts(tally->numColumn),
              (std::vector<std::string>{"00036", TLevelCompleteScreen::TimeLeftText(framesLeft),
                                        "+ " + std::to_string(Bonus(framesLeft)) + " points", "3"}));

    // Closing adds the bonus and starts level 2 from scratch.
    h.Press(KEY_ENTER);
    h.Frame();
    ASSERT_EQ(ScreenName(), "Game");
    EXPECT_TRUE(MusicIs("game.ogg"));
    EXPECT_EQ(profile->level, 2);
    EXPECT_EQ(profile->score, 36 + Bonus(framesLeft));
    EXPECT_EQ(level->timeLeft, 3300);
    EXPECT_EQ(player->combo, 0);
    EXPECT_EQ(player->goal, 4);
    const int scoreBeforeLoss = profile->score;

    // Level 2 lost: one wrong answer, then the time runs out.
    TypeAnswer(h, WrongAnswer());
    EXPECT_EQ(profile->wrongAnswers, 1);
    // The last two seconds of the level; the countdown from 3300 is the level's own business.
    level->timeLeft = 120;
    while (level->timeLeft > 0)
        h.Frame();
    EXPECT_EQ(profile->lives, 0);
    while (player->deathAnimCounter > 1)
        h.Frame();
    h.Press(KEY_ENTER);
    h.Frame();
    ASSERT_EQ(ScreenName(), "Game Over");
    h.Frame();
    ASSERT_EQ(ScreenName(), "Game Over");
    EXPECT_TRUE(MusicIs("gameover.ogg"));
    auto over = std::dynamic_pointer_cast<TGameOverScreen>(game->currentScreen);
    ASSERT_TRUE(over);
    EXPECT_EQ(ColumnTexts(over->statColumn),
              (std::vector<std::string>{"Final Score:", "Final Level:", "Biggest Combo:", "Wrong Answers:"}));
    EXPECT_EQ(ColumnTexts(over->numColumn),
              (std::vector<std::string>{PadWithZeros(std::to_string(scoreBeforeLoss), 5), "2", "3", "1"}));

    // Back to the title, and the next run starts from a fresh profile.
    h.Press(KEY_SPACE);
    h.Frame();
    ASSERT_EQ(ScreenName(), "Title");
    EXPECT_TRUE(MusicIs("title.ogg"));
    auto finished = profile;
    h.Press(KEY_NUMPAD1);
    h.Frame();
    ASSERT_EQ(ScreenName(), "Game");
    EXPECT_NE(profile, finished);
    EXPECT_EQ(profile->gameMode, TProfile::MODE_ADDITION);
    EXPECT_EQ(profile->level, 1);
    EXPECT_EQ(profile->lives, 1);
    EXPECT_EQ(profile->score, 0);
    EXPECT_EQ(profile->biggestCombo, 0);
    EXPECT_EQ(profile->wrongAnswers, 0);
    EXPECT_EQ(level->timeLeft, 3600);
}
