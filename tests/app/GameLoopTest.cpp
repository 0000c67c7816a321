// The frame loop and the game object driven through the real start-up: quit and global keys, pause,
// screen changes, music and sound effects.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/Testing.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"
#include "support/game/GameHarness.h"

namespace {

// A screen that only counts how often it is run and drawn.
class TCountingScreen : public TScreen {
public:
    int logicCount = 0;
    int drawCount = 0;
    uint64_t logicMs = 0;   // the clock when the logic last ran
    bool endOnLogic = false;
    int Logic() override
    {
        ++logicCount;
        logicMs = ClockMillis();
        if (endOnLogic)
            game->endGame = 1;
        return 0;
    }
    int Draw() override
    {
        ++drawCount;
        return 0;
    }
};

std::shared_ptr<TCountingScreen> InstallCountingScreen()
{
    auto screen = std::make_shared<TCountingScreen>();
    screen->name = "Counting";
    game->ChangeScreen(screen);
    return screen;
}

// A sound of the given length that the mixer can play.
TSoundPtr MakeSound(double seconds, bool loop = false)
{
    auto sound = std::make_shared<TSound>();
    sound->loop = loop;
    sound->samples.assign(size_t(seconds * sound->sampleRate), TSound::FromFloat(0.25f));
    return sound;
}

TEST(StartupTest, SetsTheGameUpAsTheProgramStartsIt)
{
    GameHarness harness;
    ASSERT_TRUE(game && renderer && imageBank);
    EXPECT_EQ(game->name, "Calcadia");
    EXPECT_EQ(game->versionString, "0.51");
    EXPECT_EQ(GetAppTitle(), "Calcadia V0.51");
    EXPECT_EQ(game->testMode, 0);
    EXPECT_EQ(game->debugPanelX, 10);
    EXPECT_EQ(game->debugPanelY, 100);
    EXPECT_EQ(game->music, 1);
    EXPECT_EQ(game->paused, 0);
    ASSERT_TRUE(game->clsColor);
    EXPECT_EQ(game->clsColor->R, 50);
    EXPECT_EQ(game->clsColor->G, 0);
    EXPECT_EQ(game->clsColor->B, 50);
    EXPECT_EQ(game->screenStack.Count(), 1);
    EXPECT_EQ(game->screenStack.Last(), game->currentScreen);
    EXPECT_EQ(renderer->screenWidth, 1024);
    EXPECT_EQ(renderer->screenHeight, 768);
    EXPECT_EQ(renderer->fullScreen, 0);
    EXPECT_NE(gameFont, nullptr);

    // Several frames run and the clear colour is the dark purple.
    EXPECT_TRUE(harness.Frames(5));
    EXPECT_EQ(GetDrawState().clsR, 50);
    EXPECT_EQ(GetDrawState().clsB, 50);
}

// Each launch in a process of its own, on the real clock: two start-ups some milliseconds apart leave
// the generator in different states, so they ask different questions.
TEST(StartupTest, EachLaunchSeedsTheGeneratorAfresh)
{
    const std::string files[2] = {testing::TempDir() + "calcadia-seed-1", testing::TempDir() + "calcadia-seed-2"};
    for (const std::string& file : files) {
        EXPECT_EXIT(
            {
                UseVirtualClock(false);
                setenv("SDL_AUDIODRIVER", "dummy", 0);
                Startup();
                std::ofstream(file) << RandomState();
                std::_Exit(0);
            },
            testing::ExitedWithCode(0), "");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    auto read = [](const std::string& file) {
        std::string text;
        std::ifstream(file) >> text;
        return text;
    };
    EXPECT_FALSE(read(files[0]).empty());
    EXPECT_NE(read(files[0]), read(files[1]));
}

TEST(QuitTest, CtrlXQuitsBeforeTheNextLogicAndAPlainXIsUsedUp)
{
    GameHarness harness;
    auto screen = InstallCountingScreen();

    // X alone is consumed by the quit test; holding Ctrl afterwards does not bring it back.
    harness.Press(KEY_X);
    EXPECT_TRUE(harness.Frame());
    harness.KeyDown(KEY_LCONTROL);
    EXPECT_TRUE(harness.Frame());
    EXPECT_EQ(screen->logicCount, 2);

    // X again with Ctrl still held quits before the screen's logic runs.
    harness.Press(KEY_X);
    EXPECT_FALSE(harness.Frame());
    EXPECT_EQ(screen->logicCount, 2);
    harness.ReleaseCtrl();
    // Ctrl pressed and let go around X before the frame looks: still Ctrl+X.
    harness.KeyDown(KEY_LCONTROL);
    harness.Press(KEY_X);
    harness.ReleaseCtrl();
    EXPECT_FALSE(harness.Frame());

    // The right Ctrl key serves as well, also while paused, and the real loop ends with code 0.
    harness.Press(KEY_P);
    harness.Frame();
    ASSERT_EQ(game->paused, 1);
    harness.KeyDown(KEY_RCONTROL);
    harness.Press(KEY_X);
    EXPECT_EQ(harness.RunUntilExit(3), 0);
}

TEST(QuitTest, ClosingTheWindowOrEndGameEndsTheProgramWithoutDrawing)
{
    {
        GameHarness harness;
        harness.Press(KEY_P);
        harness.Frame();
        ASSERT_EQ(game->paused, 1);
        auto screen = InstallCountingScreen();
        harness.CloseWindow();
        EXPECT_EQ(harness.RunUntilExit(3), 0);
        EXPECT_EQ(screen->drawCount, 0);
    }
    {
        GameHarness harness;
        auto screen = InstallCountingScreen();
        harness.Frame();
        screen->endOnLogic = true;
        EXPECT_EQ(harness.RunUntilExit(3), 0);
        EXPECT_EQ(screen->logicCount, 2);
        EXPECT_EQ(screen->drawCount, 1);
    }
    // A fresh start after a close is not ended by the old request.
    GameHarness harness;
    EXPECT_TRUE(harness.Frames(2));
}

TEST(GlobalKeysTest, DebugPanelAndPause)
{
    GameHarness harness;
    auto screen = InstallCountingScreen();

    // D without Ctrl is used up; pressing Ctrl later does not open the panel.
    harness.Press(KEY_D);
    harness.Frame();
    harness.KeyDown(KEY_LCONTROL);
    harness.Frame();
    EXPECT_EQ(game->displayDebugPanel, 0);

    // Ctrl+D and P in the same frame: the panel opens, the P is lost. The frame that read the keys
    // presents the panel with no wait for the timer between: only the sleep after the present.
    harness.Press(KEY_D);
    harness.Press(KEY_P);
    const uint64_t presentedBefore = PresentedFrameCount();
    harness.Frame();
    harness.ReleaseCtrl();
    EXPECT_EQ(game->displayDebugPanel, 1);
    EXPECT_EQ(game->paused, 0);
    EXPECT_EQ(PresentedFrameCount(), presentedBefore + 1);
    EXPECT_LE(ClockMillis() - screen->logicMs, 1u);

    // Pause stops the screen's logic but not its drawing; typed characters and keys are dropped. Nothing
    // moves while paused, so every frame after the one that read P sleeps on the window's events.
    int sleptOnEvents = 0;
    UseEventAwaiter([&](int ms) {
        ++sleptOnEvents;
        SleepMillis(ms);
        return false;
    });
    int logicBefore = screen->logicCount;
    int drawBefore = screen->drawCount;
    harness.Type("12");
    harness.Press(KEY_P);
    harness.Frames(3);
    EXPECT_EQ(game->paused, 1);
    EXPECT_EQ(screen->logicCount, logicBefore);
    EXPECT_EQ(screen->drawCount, drawBefore + 3);
    EXPECT_EQ(NextTypedChar(), 0);
    EXPECT_EQ(sleptOnEvents, 2);

    // An Escape pressed during the pause is forgotten when P resumes.
    harness.Press(KEY_ESCAPE);
    harness.Frame();
    harness.Press(KEY_P);
    harness.Frame();
    EXPECT_EQ(game->paused, 0);
    EXPECT_EQ(screen->logicCount, logicBefore + 1);
    EXPECT_EQ(KeyWasHit(KEY_ESCAPE), 0);
    // The frames that read Escape and P waited paused too; running again, the screen's come at each tick.
    harness.Frame();
    EXPECT_EQ(sleptOnEvents, 4);
    UseEventAwaiter(nullptr);

    // The panel toggles back off, independent of pause, also by a chord let go before the frame.
    harness.KeyDown(KEY_LCONTROL);
    harness.Press(KEY_D);
    harness.ReleaseCtrl();
    harness.Frame();
    EXPECT_EQ(game->displayDebugPanel, 0);
}

TEST(GlobalKeysTest, CtrlFSwitchesFullScreenOnlyWhenNotPaused)
{
    GameHarness harness;
    TScreenPtr screen = game->currentScreen;

    harness.Press(KEY_F);
    harness.Frame();
    harness.KeyDown(KEY_LCONTROL);
    harness.Frame();
    EXPECT_EQ(renderer->fullScreen, 0);
    harness.ReleaseCtrl();

    harness.Press(KEY_P);
    harness.Frame();
    harness.PressWithCtrl(KEY_F);
    harness.Frame();
    harness.ReleaseCtrl();
    EXPECT_EQ(renderer->fullScreen, 0);
    harness.Press(KEY_P);
    harness.Frame();

    harness.PressWithCtrl(KEY_F);
    harness.Frame();
    harness.ReleaseCtrl();
    // The display may refuse full screen, in which case the renderer falls back to the window;
    // either way a display is open and the game goes on unchanged.
    EXPECT_EQ(renderer->bitDepth, renderer->fullScreen ? 32 : 0);
    harness.PressWithCtrl(KEY_F);
    harness.Frame();
    harness.ReleaseCtrl();
    EXPECT_EQ(renderer->fullScreen, 0);
    EXPECT_EQ(renderer->bitDepth, 0);
    // A chord let go before the frame switches as well.
    harness.KeyDown(KEY_LCONTROL);
    harness.Press(KEY_F);
    harness.ReleaseCtrl();
    harness.Frame();
    EXPECT_EQ(renderer->fullScreen, 1);
    EXPECT_EQ(game->currentScreen, screen);
    EXPECT_EQ(GetAppTitle(), "Calcadia V0.51");
    EXPECT_TRUE(harness.Frames(2));

    // A display that refuses the reopen ends the game as a refusal at start-up does, with the message
    // and the exit code of a fatal error. SDL's offscreen driver refuses once it cannot load its EGL.
    EXPECT_EXIT(
        {
            RestoreRealProgramExit();
            setenv("SDL_VIDEO_EGL_DRIVER", "/nonexistent/libEGL.so.1", 1);
            harness.PressWithCtrl(KEY_F);
            harness.Frame();
        },
        testing::ExitedWithCode(255), "Calcadia could not open its window: the display refuses a window");
}

TEST(ScreenStackTest, ChangeScreenReplacesTheScreenAndForgetsInput)
{
    GameHarness harness;
    TScreenPtr first = game->currentScreen;

    harness.KeyDown(KEY_SPACE);
    harness.Press(KEY_ENTER);
    harness.Type("7");
    harness.Click(1);
    auto next = std::make_shared<TCountingScreen>();
    game->ChangeScreen(next);

    EXPECT_EQ(game->currentScreen, next);
    EXPECT_EQ(game->screenStack.Count(), 1);
    EXPECT_EQ(game->screenStack.Last(), next);
    EXPECT_EQ(KeyIsDown(KEY_SPACE), 0);
    EXPECT_EQ(KeyWasHit(KEY_ENTER), 0);
    EXPECT_EQ(NextTypedChar(), 0);
    EXPECT_EQ(MouseButtonWasHit(1), 0);

    // Removal is by identity, and leaves currentScreen alone.
    auto lookalike = std::make_shared<TCountingScreen>();
    game->RemoveScreenFromStack(lookalike);
    EXPECT_EQ(game->screenStack.Count(), 1);
    game->RemoveScreenFromStack(next);
    EXPECT_TRUE(game->screenStack.IsEmpty());
    EXPECT_EQ(game->currentScreen, next);
}

// A screen that hands over to another from its own Logic and then goes on running, as every screen does.
class THandOverScreen : public TScreen {
public:
    static inline std::weak_ptr<TScreen> watched;
    static inline bool aliveAfterChange = false;
    int Logic() override
    {
        game->ChangeScreen(std::make_shared<TScreen>());
        aliveAfterChange = !watched.expired();
        return 0;
    }
};

TEST(ScreenStackTest, AScreenThatChangesScreenStaysAliveUntilItsLogicEnds)
{
    GameHarness harness;
    {
        auto screen = std::make_shared<THandOverScreen>();
        THandOverScreen::watched = screen;
        game->ChangeScreen(screen);
    }
    harness.Frame();
    EXPECT_TRUE(THandOverScreen::aliveAfterChange);
    EXPECT_TRUE(THandOverScreen::watched.expired());
}

TEST(SoundTest, PlayGameSoundRestartsOnTheSameChannelVariable)
{
    GameHarness harness;
    TSoundPtr sound = MakeSound(2.0);

    TChannelPtr channel;
    game->PlayGameSound(sound, channel, 0.8f, 1.5f);
    ASSERT_TRUE(channel);
    TChannelPtr first = channel;
    EXPECT_EQ(first->Playing(), 1);
    EXPECT_FLOAT_EQ(first->Volume(), 0.8f);
    EXPECT_FLOAT_EQ(first->Rate(), 1.5f);

    game->PlayGameSound(sound, channel, 1.0f, 1.0f);
    EXPECT_NE(channel, first);
    EXPECT_EQ(first->Playing(), 0);
    EXPECT_EQ(channel->Playing(), 1);

    // Another owner's variable plays the same sound alongside.
    TChannelPtr other;
    game->PlayGameSound(sound, other, 1.0f, 1.0f);
    EXPECT_EQ(channel->Playing(), 1);
    EXPECT_EQ(other->Playing(), 1);

    game->StopSound(other);
    EXPECT_EQ(other, nullptr);

    // A null sound prints its line and leaves the variable alone.
    GameHarness::StartCapturingStdout();
    game->PlayGameSound(nullptr, channel, 1.0f, 1.0f);
    EXPECT_EQ(GameHarness::StopCapturingStdout(), "PlayGameSound tried to play a null sound\n");
    EXPECT_EQ(channel->Playing(), 1);
}

TEST(SoundTest, MusicPlaysOneChannelAndANullPieceIsSilent)
{
    GameHarness harness;
    game->currentMusic = MakeSound(1.0, true);
    game->PlayMusic();
    TChannelPtr first = game->musicChannel;
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Playing(), 1);
    EXPECT_FLOAT_EQ(first->Volume(), 0.4f);

    // A piece that fails to load leaves the old one playing until PlayMusic...
    game->LoadMusic("no-such-piece.ogg", SOUND_LOOP);
    EXPECT_EQ(game->currentMusic, nullptr);
    EXPECT_EQ(first->Playing(), 1);
    // ...which then stops it and plays nothing.
    game->PlayMusic();
    EXPECT_EQ(first->Playing(), 0);
    EXPECT_EQ(game->musicChannel, nullptr);
    game->StopMusic();

    // With music off neither loading nor playing does anything.
    game->music = 0;
    auto kept = MakeSound(1.0, true);
    game->currentMusic = kept;
    game->LoadMusic("game.ogg", SOUND_LOOP);
    game->PlayMusic();
    EXPECT_EQ(game->currentMusic, kept);
    EXPECT_EQ(game->musicChannel, nullptr);

    // Sounds load from the sound folder whatever the music flag says.
    EXPECT_NE(game->LoadGameSound("select.wav", 0), nullptr);
    EXPECT_EQ(game->LoadGameSound("no-such-sound.wav", 0), nullptr);
}

}   // namespace
