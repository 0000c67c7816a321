// Counts the frame loop keeps on any machine, however fast: drawing a frame allocates nothing once the
// game is warm, a frame makes no more draw calls than it has textures, and the audio callback never
// allocates.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "counts/CountingAllocator.h"
#include "platform/sound/SoundTesting.h"
#include "platform/Testing.h"
#include "play/GameScreen.h"
#include "play/ScreenTestSupport.h"

namespace {

// The drawing half of the frame loop, every frame really submitted and presented.
void DrawFrames(int n)
{
    for (int i = 0; i < n; ++i) {
        game->Draw();
        InvalidatePresentedFrame();
        FlipDisplay(1);
    }
}

long AllocationsWhileDrawing()
{
    DrawFrames(2);   // anything a first draw of this state makes once
    StartCountingAllocations();
    DrawFrames(30);
    return StopCountingAllocations().thisThread;
}

}  // namespace

TEST(FrameCounts, DrawingAFrameAllocatesNothingOnceWarm)
{
    GameHarness h(31);
    h.Frames(10);
    EXPECT_EQ(AllocationsWhileDrawing(), 0) << "title screen";

    h.Press(KEY_1);
    h.Frames(20);
    ASSERT_EQ(ScreenName(), "Game");
    EXPECT_EQ(AllocationsWhileDrawing(), 0) << "a question, the prompt still fading";

    TypeAnswer(h, WrongAnswer());
    h.Frames(5);
    ASSERT_GT(player->deathAnimCounter, 0);
    EXPECT_EQ(AllocationsWhileDrawing(), 0) << "a wrong answer's explosions and zoom";

    WaitUntilAnswering(h);
    while (ScreenName() == "Game" && player->levelScore < player->goal) {
        TypeAnswer(h, RightAnswer());
        WaitUntilAnswering(h);
    }
    ASSERT_TRUE(RunUntilScreen(h, "Level Complete", 200));
    h.Frames(5);
    EXPECT_EQ(AllocationsWhileDrawing(), 0) << "level complete";
}

// A frame needs one draw call per texture: quads join the draw call of their texture across anything
// drawn in between that they do not overlap, and the text, bars and effect pictures share one atlas
// page, so even the words of a wrong answer over its explosions, under a time-up's explosions, are one.
TEST(FrameCounts, NoFrameMakesMoreDrawCallsThanItHasTextures)
{
    GameHarness h(32);
    int framesChecked = 0, effectFrames = 0;
    auto check = [&](const char* where) {
        if (ScreenName() == "Game" && TGameScreen::particleList)
            for (const TParticlePtr& p : *TGameScreen::particleList)
                if (p && p->gameImage) {
                    ++effectFrames;
                    break;
                }
        EXPECT_GT(DrawCallsLastFrame(), 0) << where;
        EXPECT_LE(DrawCallsLastFrame(), DistinctTexturesLastFrame()) << where << ", frame " << framesChecked;
        ++framesChecked;
    };
    for (int i = 0; i < 5; ++i)
        h.Frame(), check("title");
    h.Press(KEY_2);
    h.Frame();
    check("level start");
    for (int answer = 0; answer < 4 && ScreenName() == "Game"; ++answer) {   // two right: short of the goal
        const std::string text = answer % 2 ? WrongAnswer() : RightAnswer();
        for (char c : text)
            h.Type(std::string(1, c)), h.Frame(), check("answering");
        for (int i = 0; i < 200 && ScreenName() == "Game" && (player->deathAnimCounter || player->successAnimCounter);
             ++i)
            h.Frame(), check(answer % 2 ? "wrong answer's animation" : "right answer");
    }
    // The time runs out during a wrong answer's animation: the busiest frames the game has.
    TypeAnswer(h, WrongAnswer());
    check("wrong answer");
    level->timeLeft = 2;
    for (int i = 0; i < 200 && ScreenName() == "Game"; ++i)
        h.Frame(), check("time up during the animation");
    ASSERT_EQ(ScreenName(), "Game Over");
    for (int i = 0; i < 5; ++i)
        h.Frame(), check("game over");
    EXPECT_GT(framesChecked, 100);
    EXPECT_GT(effectFrames, 50);
}

TEST(AudioCounts, TheAudioCallbackNeverAllocates)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    InitPlatform();
    UseVirtualClock(false);
    UseManualAudio(false);
    ASSERT_TRUE(InitAudio());
    const TSoundPtr music = LoadSoundFile("Data/Music/title.ogg", SOUND_LOOP);
    const TSoundPtr effect = LoadSoundFile("Data/Sound/explosion.wav", 0);
    const TSoundPtr click = LoadSoundFile("Data/Sound/typing.wav", 0);
    ASSERT_TRUE(music && effect && click);

    StartCountingAllocations();
    // Music still decoding behind the mixer, an effect resampled, a short sound that must end.
    TChannelPtr tune = music->Cue();
    tune->SetPaused(0);
    TChannelPtr boom = effect->Cue();
    boom->SetRate(1.5f);
    boom->SetPaused(0);
    TChannelPtr tick = click->Cue();
    tick->SetPaused(0);
    for (int i = 0; i < 100 && tick->Playing(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool callbackRan = !tick->Playing();
    tune->Stop();
    boom->Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const TAllocationCounts counts = StopCountingAllocations();
    ShutdownAudio();

    EXPECT_TRUE(callbackRan) << "the device never mixed: nothing was measured";
    EXPECT_EQ(counts.audioThread, 0);
}
