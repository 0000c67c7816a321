// The whole game on the audio outputs a machine may really have (none, SDL's dummy driver, a driver
// name that does not exist) and through focus changes with keys held.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "platform/Platform.h"
#include "platform/sound/SoundTesting.h"
#include "platform/Testing.h"
#include "play/Player.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "support/game/GameHarness.h"

namespace {

// The game on one SDL audio driver ("" = SDL's own choice, which finds no device on a machine without
// a sound card or server), with the channels driven by that device or, without one, by the clock.
class AudioDriverTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        ShutdownAudio();
        if (*GetParam())
            setenv("SDL_AUDIODRIVER", GetParam(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
        harness = std::make_unique<GameHarness>();
        // The harness renders sound by hand; here it must go where the game sends it.
        UseManualAudio(false);
    }
    void TearDown() override
    {
        harness.reset();
        ShutdownAudio();
        UseManualAudio(true);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    // Frames until the channel ends; a device plays in real time, so real time is given as well.
    bool FramesUntilFinished(const TChannelPtr& channel, int maxFrames)
    {
        for (int i = 0; i < maxFrames && channel->Playing(); ++i) {
            harness->Frame();
            if (AudioDeviceOpen())
                std::this_thread::sleep_for(std::chrono::milliseconds(16));
        }
        return channel->Playing() == 0;
    }

    std::unique_ptr<GameHarness> harness;
};

TEST_P(AudioDriverTest, TheGamePlaysOnAndItsChannelsFinish)
{
    const std::string driver = GetParam();
    // The device opens behind the first frame, on a thread of its own; start-up only announces it.
    EXPECT_TRUE(AudioAwaited());
    EXPECT_FALSE(AudioDeviceOpen());
    harness->Frame();
    FinishOpeningAudio();
    EXPECT_FALSE(AudioAwaited());
    if (driver == "dummy") {
        EXPECT_TRUE(AudioDeviceOpen());
    } else if (driver == "nonexistent") {
        EXPECT_FALSE(AudioDeviceOpen());
    }

    // However the audio start went, the display is up and drawing.
    ASSERT_NE(CurrentDisplay(), nullptr);
    harness->Frames(2);
    harness->Redraw();
    const uint32_t background = harness->Pixel(3, 760);
    EXPECT_EQ(GameHarness::Red(background), 50);
    EXPECT_EQ(GameHarness::Blue(background), 50);
    ASSERT_TRUE(game->musicChannel);
    EXPECT_EQ(game->musicChannel->Playing(), 1);

    // A run starts: the level-start effect plays out to its end, the looping music goes on.
    harness->Press(KEY_1);
    harness->Frame();
    ASSERT_EQ(game->currentScreen->name, "Game");
    const TChannelPtr effect = player->channelAccelerate;
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->Playing(), 1);
    EXPECT_TRUE(FramesUntilFinished(effect, 400));
    EXPECT_EQ(game->musicChannel->Playing(), 1);

    // Typing plays an effect per key; each one ends too and none is left behind.
    harness->Type("1");
    harness->Frame();
    ASSERT_TRUE(player->answerInput->typingChannel);
    EXPECT_TRUE(FramesUntilFinished(player->answerInput->typingChannel, 400));

    harness->Press(KEY_ESCAPE);
    harness->Frame();
    EXPECT_EQ(game->currentScreen->name, "Title");
    // With the music stopped, every effect the run started dies away: nothing is left sounding.
    game->StopMusic();
    for (int i = 0; i < 400 && LiveChannelCount() > 0; ++i) {
        ASSERT_TRUE(harness->Frame());
        if (AudioDeviceOpen())
            std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    EXPECT_EQ(LiveChannelCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Drivers, AudioDriverTest, ::testing::Values("", "dummy", "nonexistent"),
                         [](const auto& info) { return *info.param ? std::string(info.param) : std::string("default"); });

// Focus that leaves while keys are held: nothing stays held, and what was typed but not yet read is
// dropped, so coming back never finds a half-pressed Ctrl+X or a stray digit.
TEST(FocusTest, LosingFocusReleasesHeldKeysForTheWholeGame)
{
    GameHarness harness;
    harness.Press(KEY_2);
    harness.Frame();
    ASSERT_EQ(game->currentScreen->name, "Game");

    harness.KeyDown(KEY_LCONTROL);
    harness.Type("12");
    ProcessInputEvent({TInputEvent::FocusLost});
    harness.Frame();
    EXPECT_EQ(player->answerInput->text, "");
    ProcessInputEvent({TInputEvent::FocusGained});
    EXPECT_EQ(KeyIsDown(KEY_LCONTROL), 0);

    // Back in the window, X alone is just a letter: the game goes on.
    harness.Press(KEY_X);
    EXPECT_TRUE(harness.Frame());
    // A key held across the change counts once more only when it is pressed again.
    harness.KeyDown(KEY_P);
    ProcessInputEvent({TInputEvent::FocusLost});
    harness.Frame();
    EXPECT_EQ(game->paused, 0);
    harness.KeyUp(KEY_P);
    harness.Press(KEY_P);
    harness.Frame();
    EXPECT_EQ(game->paused, 1);
}

}  // namespace
