// Whole-game tests of what comes on top of the screens: the best scores kept from one launch to the
// next and shown on the title and game-over screens, the history of answers, the paused picture, and
// the launch options.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/LaunchOptions.h"
#include "platform/sound/SoundTesting.h"
#include "play/GameOverScreen.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "play/ScreenTestSupport.h"
#include "play/TitleScreen.h"
#include "records/History.h"
#include "records/Report.h"
#include "records/SavedState.h"
#include "support/TempHome.h"

namespace fs = std::filesystem;

namespace {

// The launch options for one test, and the defaults (nothing kept) again after it.
class LaunchWith {
public:
    explicit LaunchWith(const TLaunchOptions& options) { SetLaunchOptions(options); }
    ~LaunchWith() { SetLaunchOptions(TLaunchOptions()); }
};

TLaunchOptions Keeping()
{
    TLaunchOptions options;
    options.keepRecords = true;
    return options;
}

// Pixels of exactly this colour in the rectangle [x0, x1) x [y0, y1) of the redrawn frame.
int CountColour(GameHarness& h, int x0, int y0, int x1, int y1, int r, int g, int b)
{
    h.Redraw();
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint32_t p = h.Pixel(x, y);
            count += GameHarness::Red(p) == r && GameHarness::Green(p) == g && GameHarness::Blue(p) == b;
        }
    return count;
}

// Starts a run of the mode, answers `right` questions right, then lets the time run out.
void PlayRunToGameOver(GameHarness& h, int key, int right)
{
    h.Press(key);
    h.Frame();
    for (int i = 0; i < right; ++i) {
        WaitUntilAnswering(h);
        TypeAnswer(h, RightAnswer());
    }
    level->timeLeft = 1;
    ASSERT_TRUE(RunUntilScreen(h, "Game Over", 400));
    // The run's save runs beside the frames; the frame after it is done shows its outcome.
    game->saved->FinishSaving();
    h.Frame();
}

// The quiet colour of the title's best scores, and the rows' band on the screen.
constexpr int QUIET_R = 90, QUIET_G = 150, QUIET_B = 160;
int BestPixelsOnRow(GameHarness& h, int row)
{
    return CountColour(h, 690, 260 + 40 * row, 1024, 300 + 40 * row, QUIET_R, QUIET_G, QUIET_B);
}

}  // namespace

TEST(KeptRecordsInPlay, ASecondLaunchSeesTheFirstLaunchsBestOnTheTitleAndAtGameOver)
{
    TempHome home;
    LaunchWith keeping(Keeping());
    int firstScore = 0;
    {
        GameHarness h;
        // No table yet: the title is the title as it always was.
        EXPECT_EQ(BestPixelsOnRow(h, 0), 0);
        // A first run that scored nothing is not kept: there is no best to show, not even "00000".
        PlayRunToGameOver(h, KEY_1, 0);
        EXPECT_EQ(ColumnTexts(std::dynamic_pointer_cast<TGameOverScreen>(game->currentScreen)->statColumn).size(), 4u);
        h.Press(KEY_SPACE);
        ASSERT_TRUE(RunUntilScreen(h, "Title", 10));
        PlayRunToGameOver(h, KEY_1, 2);
        firstScore = profile->score;
        ASSERT_GT(firstScore, 0);
        auto over = std::dynamic_pointer_cast<TGameOverScreen>(game->currentScreen);
        const std::vector<std::string> names = ColumnTexts(over->statColumn), values = ColumnTexts(over->numColumn);
        ASSERT_EQ(names.size(), 5u);
        EXPECT_EQ(names[4], "Best Score:");
        EXPECT_EQ(values[4], PadWithZeros(std::to_string(firstScore), 5));
        ASSERT_TRUE(over->newBestLabel);
        // The new row stands under the four, and "New best!" in yellow beside its value.
        EXPECT_GT(CountColour(h, 255, 360, 600, 400, 150, 255, 255), 200);
        EXPECT_GT(CountColour(h, 770, 360, 1024, 400, 255, 255, 0), 200);
    }
    {
        GameHarness h;
        auto title = std::dynamic_pointer_cast<TTitleScreen>(game->currentScreen);
        EXPECT_EQ(ColumnTexts(title->bestColumn)[0], "Best " + PadWithZeros(std::to_string(firstScore), 5));
        EXPECT_GT(BestPixelsOnRow(h, 0), 200);   // Addition has a best now
        EXPECT_EQ(BestPixelsOnRow(h, 1), 0);     // Subtraction has none
        // Another copy of the game records a run meanwhile; this one's title shows it when next entered.
        TSavedState::Load()->RecordRun(1, 777, 3, "2026-12-07");
        h.Press(KEY_2);
        h.Frame();
        h.Press(KEY_ESCAPE);
        ASSERT_TRUE(RunUntilScreen(h, "Title", 10));
        title = std::dynamic_pointer_cast<TTitleScreen>(game->currentScreen);
        EXPECT_EQ(ColumnTexts(title->bestColumn)[1], "Best 00777");
        // A worse run that still scores, so it is kept second: the row shows the first launch's best,
        // and no "New best!".
        PlayRunToGameOver(h, KEY_1, 1);
        ASSERT_GT(profile->score, 0);
        ASSERT_LT(profile->score, firstScore);
        auto over = std::dynamic_pointer_cast<TGameOverScreen>(game->currentScreen);
        EXPECT_EQ(ColumnTexts(over->numColumn)[4], PadWithZeros(std::to_string(firstScore), 5));
        EXPECT_FALSE(over->newBestLabel);
        EXPECT_EQ(CountColour(h, 770, 360, 1024, 400, 255, 255, 0), 0);
    }
}

// Every answer goes into the history as it is given: right and wrong ones, a run left with Esc, a
// time-up with the answer half typed; the frames count the question's time on show for answering; and
// the report's figures come out of them. --no-history and "history = off" keep nothing.
TEST(KeptRecordsInPlay, EveryAnswerGoesIntoTheHistoryAndTheReportCountsIt)
{
    TempHome home;
    TLaunchOptions options = Keeping();
    options.seed = 2026;
    options.history.player = "Ana";
    std::vector<std::string> asked, typed;
    const auto answer = [&](GameHarness& h, const std::string& text) {
        asked.push_back(level->currentQuestion);
        typed.push_back(text);
        TypeAnswer(h, text);
    };
    {
        LaunchWith keeping(options);
        GameHarness h;
        h.Press(KEY_1);
        h.Frame();
        answer(h, RightAnswer());
        answer(h, WrongAnswer());
        WaitUntilAnswering(h);
        h.Frames(30);
        answer(h, RightAnswer());
        h.Press(KEY_ESCAPE);
        h.Frame();
        ASSERT_EQ(ScreenName(), "Title");
        // A second run, put at level 4 where a sum can have two digits: one is typed, then time is up.
        h.Press(KEY_1);
        h.Frame();
        profile->level = 4;
        do
            level->GenerateQuestion();
        while (level->answer < 10);
        answer(h, RightAnswer().substr(0, 1));
        level->timeLeft = 1;
        ASSERT_TRUE(RunUntilScreen(h, "Game Over", 400));
    }
    std::vector<THistoryAnswer> rows;
    std::string why;
    ASSERT_TRUE(ReadHistory(HistoryLocation(), "", nullptr, rows, why)) << why;
    ASSERT_EQ(rows.size(), 4u);
    const int outcomes[] = {THistoryAnswer::RIGHT, THistoryAnswer::WRONG, THistoryAnswer::RIGHT,
                            THistoryAnswer::TIME_UP};
    // Judged in the frame its digit came; after the wrong answer's animation, 30 frames more.
    const int frames[] = {1, 1, 31, 1};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].question, asked[i]) << i;
        EXPECT_EQ(rows[i].typed, typed[i]) << i;
        EXPECT_EQ(rows[i].outcome, outcomes[i]) << i;
        EXPECT_EQ(rows[i].frames, frames[i]) << i;
        EXPECT_DOUBLE_EQ(rows[i].seconds, frames[i] / 60.0) << i;
        EXPECT_EQ(rows[i].player, "Ana");
        EXPECT_EQ(rows[i].mode, TProfile::MODE_ADDITION);
        EXPECT_EQ(rows[i].level, i < 3 ? 1 : 4);
        EXPECT_EQ(rows[i].time.substr(0, 10), TodaysDate());
        EXPECT_EQ(rows[i].run == rows[0].run, i < 3) << i;
    }
    const std::vector<TPlayerFigures> figures = ReportFigures(rows);
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_NE(ReportText(figures, "").find("Ana\n  Addition: 2 runs, 4 questions, 50% right, median time 0.0 s, "
                                           "highest level 4\n"),
              std::string::npos);
    ASSERT_FALSE(figures[0].modes[0].mostMissed.empty());
    EXPECT_EQ(figures[0].modes[0].slowest[0].fact + " =", asked[2]);

    // Turned off for a launch, and in the settings: the answers are played and not kept.
    TLaunchOptions off = options;
    off.history.keep = false;
    for (const TLaunchOptions& launch : {off, options}) {
        if (launch.history.keep) {
            fs::create_directories(home.Config());
            std::ofstream(home.Config() / "settings") << "history = off\n";
        }
        LaunchWith without(launch);
        GameHarness h;
        h.Press(KEY_2);
        h.Frame();
        TypeAnswer(h, RightAnswer());
        h.Press(KEY_ESCAPE);
        h.Frame();
    }
    ASSERT_TRUE(ReadHistory(HistoryLocation(), "", nullptr, rows, why)) << why;
    EXPECT_EQ(rows.size(), 4u);
}

// Another copy of the game holding the records' locks (stopped in a debugger, say) never stops this
// one's frames: Game Over is up and takes its key while the run's save waits, Ctrl+F's window comes and
// the next key starts a run; the saves land once the lock is let go.
TEST(KeptRecordsInPlay, ALockHeldElsewhereNeverStopsTheFrames)
{
    TempHome home;
    LaunchWith keeping(Keeping());
    // A lock of another open file is another holder, as another process's is.
    const auto holdLock = [](const fs::path& path) {
        fs::create_directories(path.parent_path());
        const int fd = open(path.c_str(), O_RDWR | O_CREAT, 0644);
        EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
        return fd;
    };
    GameHarness h;
    const int scoresLock = holdLock(home.Data() / "best-scores.lock");
    h.Press(KEY_1);
    h.Frame();
    WaitUntilAnswering(h);
    TypeAnswer(h, RightAnswer());
    level->timeLeft = 1;
    ASSERT_TRUE(RunUntilScreen(h, "Game Over", 400));
    const int score = profile->score;
    auto over = std::dynamic_pointer_cast<TGameOverScreen>(game->currentScreen);
    // Frames go on, at every tick (not still: the screen looks for the save's outcome), with the four
    // rows and no best yet.
    EXPECT_FALSE(game->StillUntilInput());
    EXPECT_TRUE(h.Frames(10));
    EXPECT_TRUE(game->saved->Saving());
    EXPECT_EQ(ColumnTexts(over->statColumn).size(), 4u);
    EXPECT_FALSE(over->newBestLabel);
    h.Press(KEY_SPACE);
    ASSERT_TRUE(RunUntilScreen(h, "Title", 2));
    // The title shows the run's best once its save is done, without a key.
    auto title = std::dynamic_pointer_cast<TTitleScreen>(game->currentScreen);
    EXPECT_EQ(ColumnTexts(title->bestColumn)[0], "");
    close(scoresLock);
    game->saved->FinishSaving();
    h.Frame();
    EXPECT_EQ(ColumnTexts(title->bestColumn)[0], "Best " + PadWithZeros(std::to_string(score), 5));
    EXPECT_TRUE(game->StillUntilInput());
    EXPECT_EQ(TSavedState::Load()->scores.Best(0), score);

    const int settingsLock = holdLock(home.Config() / "settings.lock");
    h.PressWithCtrl(KEY_F);
    h.Frame();
    h.ReleaseCtrl();
    EXPECT_EQ(renderer->fullScreen, 1);
    h.Press(KEY_1);
    h.Frame();
    EXPECT_EQ(ScreenName(), "Game");
    EXPECT_TRUE(game->saved->Saving());
    EXPECT_FALSE(fs::exists(home.Config() / "settings"));
    close(settingsLock);
    game->saved->FinishSaving();
    EXPECT_EQ(TSavedState::Load()->settings.fullScreen, 1);
}

TEST(KeptRecordsInPlay, PauseDimsThePictureSaysPausedAndMarksTheStoppedTimer)
{
    GameHarness h;
    const uint32_t background = (h.Redraw(), h.Pixel(20, 20));
    EXPECT_EQ(CountColour(h, 340, 330, 700, 440, 255, 255, 255), 0);
    h.Press(KEY_P);
    h.Frame();
    ASSERT_EQ(game->paused, 1);
    h.Redraw();
    EXPECT_EQ(GameHarness::Red(h.Pixel(20, 20)), GameHarness::Red(background) / 2);
    EXPECT_GT(CountColour(h, 340, 330, 700, 440, 255, 255, 255), 300);   // "PAUSED", undimmed
    h.Press(KEY_P);
    h.Frame();
    h.Redraw();
    EXPECT_EQ(h.Pixel(20, 20), background);

    h.Press(KEY_2);
    h.Frame();
    h.Frames(30);
    EXPECT_EQ(CountColour(h, 720, 735, 750, 760, 255, 255, 0), 0);
    h.Press(KEY_P);
    h.Frame();
    const int left = level->timeLeft;
    h.Frames(120);
    EXPECT_EQ(level->timeLeft, left);
    // The pause sign beside the timer bar, in full colour over the dimmed picture.
    EXPECT_EQ(CountColour(h, 720, 735, 750, 760, 255, 255, 0), 2 * 6 * 20);
}

TEST(LaunchOptionsInPlay, MuteSeedDataFolderAndTheRememberedSettings)
{
    TempHome home;
    // --mute: all sound off and a note in the corner; M brings both back.
    {
        // What earlier tests left sounding dies away first, as nothing sounds before a launch.
        std::vector<float> before(2 * 44100);
        for (int second = 0; second < 10 && LiveChannelCount() > 0; ++second)
            MixAudioInto(before.data(), 44100, 44100);
        TLaunchOptions options;
        options.mute = true;
        LaunchWith mute(options);
        GameHarness h;
        EXPECT_EQ(MasterVolume(), 0.0f);
        // Not a sample of the title's music gets through, not even while a fade would have begun.
        ASSERT_TRUE(MusicIs("title.ogg"));
        std::vector<float> heard(2 * 441);
        MixAudioInto(heard.data(), 441, 44100);
        EXPECT_EQ(std::count(heard.begin(), heard.end(), 0.0f), int(heard.size()));
        EXPECT_GT(CountColour(h, 0, 730, 200, 768, 170, 170, 190), 10);
        h.Press(KEY_M);
        h.Frame();
        EXPECT_EQ(MasterVolume(), 1.0f);
        EXPECT_EQ(CountColour(h, 0, 730, 200, 768, 170, 170, 190), 0);
    }

    // --seed: every run of the launch is asked the same questions, whatever was answered before.
    {
        TLaunchOptions options;
        options.seed = 4242;
        LaunchWith seeded(options);
        GameHarness h;
        const auto questions = [&](bool oneWrong) {
            h.Press(KEY_5);
            h.Frame();
            // The explosions of a wrong answer draw random numbers while they play, between the third
            // answer and the fourth question.
            std::vector<std::string> seen;
            for (int i = 0; i < 3; ++i) {
                WaitUntilAnswering(h);
                seen.push_back(level->currentQuestion);
                TypeAnswer(h, oneWrong && i == 1 ? WrongAnswer() : RightAnswer());
            }
            seen.push_back(level->currentQuestion);
            h.Press(KEY_ESCAPE);
            h.Frame();
            EXPECT_EQ(ScreenName(), "Title");
            return seen;
        };
        const std::vector<std::string> first = questions(true);
        EXPECT_EQ(questions(false), first);
    }

    // --data: the game's files from another folder.
    {
        const fs::path elsewhere = home.root / "elsewhere";
        fs::create_directory_symlink(fs::absolute("Data"), elsewhere);
        TLaunchOptions options;
        options.dataFolder = elsewhere.string();
        LaunchWith data(options);
        GameHarness h;
        EXPECT_EQ(game->imagePath, elsewhere.string() + "/Images/");
        EXPECT_EQ(game->musicPath, elsewhere.string() + "/Music/");
        EXPECT_TRUE(gameFont);
    }

    // --fullscreen, with nothing kept.
    {
        TLaunchOptions options;
        options.fullScreen = 1;
        LaunchWith full(options);
        GameHarness h;
        EXPECT_EQ(renderer->fullScreen, 1);
        EXPECT_EQ(renderer->bitDepth, 32);
    }

    // Ctrl+F's choice is saved and the next launch opens that way, unless told otherwise.
    {
        LaunchWith keeping(Keeping());
        {
            GameHarness h;
            EXPECT_EQ(renderer->fullScreen, 0);
            h.PressWithCtrl(KEY_F);
            h.Frame();
            h.ReleaseCtrl();
            ASSERT_EQ(renderer->fullScreen, 1);
        }
        std::ifstream settings(home.Config() / "settings");
        EXPECT_NE(std::string(std::istreambuf_iterator<char>(settings), {}).find("display = fullscreen"),
                  std::string::npos);
        {
            GameHarness h;
            EXPECT_EQ(renderer->fullScreen, 1);
        }
        TLaunchOptions window = Keeping();
        window.fullScreen = 0;
        SetLaunchOptions(window);
        GameHarness h;
        EXPECT_EQ(renderer->fullScreen, 0);
    }

    // The remembered volumes reach the sound, each its own: the title's music, and the select effect
    // of a key that starts a run.
    {
        std::ofstream(home.Config() / "settings") << "music-volume = 30\neffects-volume = 70\n";
        LaunchWith keeping(Keeping());
        GameHarness h;
        ASSERT_TRUE(MusicIs(TTitleScreen::MUSIC_FILE));
        EXPECT_FLOAT_EQ(game->musicChannel->Volume(), game->musicVolume * 0.3f);
        auto title = std::dynamic_pointer_cast<TTitleScreen>(game->currentScreen);
        h.Press(KEY_1);
        h.Frame();
        ASSERT_TRUE(title->selectChannel);
        EXPECT_FLOAT_EQ(title->selectChannel->Volume(), 0.7f);
    }
}

namespace {

// The question on show as the spoken mode must say it, worked out here from its text: "7 x 8 =" is
// "7 times 8".
std::string QuestionSaid()
{
    std::string said = level->currentQuestion;
    said.resize(said.size() - 2);   // " ="
    for (const auto& [sign, word] : {std::pair{" + ", " plus "}, {" - ", " minus "}, {" x ", " times "},
                                     {" / ", " divided by "}})
        if (const size_t at = said.find(sign); at != std::string::npos)
            said.replace(at, 3, word);
    return said;
}

}  // namespace

// The settings ask for the spoken mode and half as long again: a scripted run hears every screen, its
// questions, results, pause and timer through a fake voice, and its score goes to a table of its own.
TEST(AccessModesInPlay, TheSpokenWordsOfARunAndMoreTimesOwnBestScores)
{
    TempHome home;
    fs::create_directories(home.Config());
    std::ofstream(home.Config() / "settings") << "time-factor = 1.5\nspeak = on\n";
    std::vector<std::string> said;
    ListenToSpeech([&](const std::string& words) { said.push_back(words); });
    const auto heard = [&] {
        const std::vector<std::string> words = said;
        said.clear();
        return words;
    };
    using Words = std::vector<std::string>;
    int score = 0;
    {
        LaunchWith keeping(Keeping());
        GameHarness h;
        EXPECT_EQ(heard(), Words{"Choose a Mode: 1: Addition. 2: Subtraction. 3: Multiplication. 4: Division. "
                                 "5: All of the Above. P pauses a game at any time. Escape quits."});
        h.Press(KEY_3);
        h.Frame();
        EXPECT_EQ(level->timeLimit, 5400);
        EXPECT_EQ(heard(), Words{"Get 3 Right. " + QuestionSaid()});
        TypeAnswer(h, RightAnswer());
        EXPECT_EQ(heard(), Words{"Right. " + QuestionSaid()});
        const std::string answer = RightAnswer();
        TypeAnswer(h, WrongAnswer());
        EXPECT_EQ(heard(), Words{"Wrong. The answer is " + answer + "."});
        WaitUntilAnswering(h);
        EXPECT_EQ(heard(), Words{"Get 2 Right. " + QuestionSaid()});
        h.Press(KEY_P);
        h.Frame();
        h.Press(KEY_P);
        h.Frame();
        EXPECT_EQ(heard(), Words{"Paused. Press P to go on."});
        TypeAnswer(h, RightAnswer());
        EXPECT_EQ(heard(), Words{"Right. " + QuestionSaid()});
        TypeAnswer(h, RightAnswer());
        EXPECT_EQ(heard(), Words{"Right. AWESOME!"});
        ASSERT_TRUE(RunUntilScreen(h, "Level Complete", 100));
        h.Frame();
        Words tally = heard();
        ASSERT_EQ(tally.size(), 1u);
        EXPECT_EQ(tally[0].rfind("Level 1 Complete! Current Score: 32. Time Left: ", 0), 0u) << tally[0];
        EXPECT_NE(tally[0].find(" secs. Time Bonus: + "), std::string::npos) << tally[0];
        EXPECT_NE(tally[0].find(" points. Best Combo: 2. Press Space to go on."), std::string::npos) << tally[0];

        h.Press(KEY_SPACE);
        h.Frame();
        EXPECT_EQ(level->timeLimit, 4950);
        EXPECT_EQ(heard(), Words{"Get 4 Right. " + QuestionSaid()});
        for (int seconds : {30, 10, 5}) {
            level->timeLeft = seconds * 60 + 1;
            h.Frame();
            EXPECT_EQ(heard(), Words{std::to_string(seconds) + " seconds left"});
        }
        level->timeLeft = 1;
        h.Frame();
        EXPECT_EQ(heard(), Words{"TIME UP!"});
        ASSERT_TRUE(RunUntilScreen(h, "Game Over", 100));
        h.Frame();
        game->saved->FinishSaving();
        h.Frames(2);
        score = profile->score;
        const std::string points = std::to_string(score);
        // The best score is said in its row, or after the rest when the save tells it a frame later.
        std::string over;
        for (const std::string& words : heard())
            over += words + "|";
        const std::string rows = "Game Over. Final Score: " + points + ". Final Level: 2. Biggest Combo: 2. "
                                 "Wrong Answers: 1.";
        EXPECT_TRUE(over == rows + " Best Score: " + points + ". Press Space to go on.|" ||
                    over == rows + " Press Space to go on.|Best Score: " + points + "|")
            << over;
    }
    // Kept apart from the usual table, which is not even made.
    EXPECT_TRUE(fs::exists(home.Data() / "best-scores-more-time-1.5"));
    EXPECT_FALSE(fs::exists(home.Data() / "best-scores"));
    {
        std::ofstream(home.Config() / "settings") << "speak = off\n";
        LaunchWith keeping(Keeping());
        GameHarness h;
        EXPECT_EQ(game->saved->scores.Best(TProfile::MODE_MULTIPLICATION), 0);
        EXPECT_TRUE(heard().empty());
    }
    {
        TLaunchOptions moreTime = Keeping();
        moreTime.timePercent = 150;
        LaunchWith keeping(moreTime);
        GameHarness h;
        EXPECT_EQ(game->saved->scores.Best(TProfile::MODE_MULTIPLICATION), score);
    }
    ListenToSpeech(nullptr);
}
