// The frame timer's period and tick accounting, on the virtual clock so no test waits.
#include "platform/Timing.h"
#include "platform/Testing.h"

#include "platform/Input.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

class VirtualClock : public ::testing::Test {
protected:
    void SetUp() override { UseVirtualClock(true); }
    void TearDown() override { UseVirtualClock(false); }
};

TEST_F(VirtualClock, SixtyHertzTicksEverySixteenWholeMilliseconds)
{
    auto timer = TTimer::Create(60.0f);
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->PeriodMillis(), 16);

    const int before = MillisecondClock();
    EXPECT_EQ(timer->Wait(), 1);
    EXPECT_EQ(MillisecondClock() - before, 16);
    // A frame that overran by three periods reports all of them at once, without waiting.
    SleepMillis(50);
    EXPECT_EQ(timer->Wait(), 3);
    EXPECT_EQ(MillisecondClock() - before, 66);
    EXPECT_EQ(timer->Wait(), 1);
    EXPECT_EQ(MillisecondClock() - before, 80);
    EXPECT_EQ(timer->TakeTicks(), 0);
    EXPECT_EQ(timer->NextTickMillis(), ClockMillis() + 16);
    // The frame loop's 1 ms sleep is always taken here, so scripted runs keep their clock readings.
    SleepAfterFrame(*timer);
    EXPECT_EQ(MillisecondClock() - before, 81);
}

// One frame as the frame loop runs it: the wait (of a still screen's frame or not), then the logic
// reading a key.
int Frame(TTimer& timer, bool still)
{
    WaitForFrame(timer, still);
    BeginFrameInput();
    const int hits = KeyWasHit(KEY_1);
    EndFrameInput();
    return hits;
}

TEST_F(VirtualClock, AStillScreenSleepsOnTheWindowUntilAKeyOrEightTicks)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    std::vector<int> asked;
    // How far into the next sleep on the window a key is pressed, left in the window system's queue;
    // none when negative. The mouse's moves likewise, before the key.
    int keyAfter = -1, motionAfter = -1;
    UseEventAwaiter([&](int ms) {
        asked.push_back(ms);
        if (motionAfter >= 0 && motionAfter < ms) {
            SleepMillis(motionAfter);
            motionAfter = -1;
            SDL_Event e{};
            e.type = SDL_MOUSEMOTION;
            e.motion.x = 10;
            for (int i = 0; i < 20; ++i)
                SDL_PushEvent(&e);
            return true;
        }
        if (keyAfter < 0 || keyAfter >= ms) {
            SleepMillis(ms);
            return false;
        }
        SleepMillis(keyAfter);
        keyAfter = -1;
        // Pressed and let go, so each press is a hit of its own.
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = SDLK_1;
        SDL_PushEvent(&e);
        e.type = SDL_KEYUP;
        SDL_PushEvent(&e);
        return true;
    });
    auto timer = TTimer::Create(60.0f);
    const uint64_t start = ClockMillis();
    // A screen that moves waits for its tick and never on the window, however soon a key would come.
    keyAfter = 5;
    EXPECT_EQ(Frame(*timer, false), 0);
    EXPECT_EQ(ClockMillis() - start, 16u);
    EXPECT_TRUE(asked.empty());
    // After a still screen's frame the wait sleeps on the window for up to eight ticks; nothing came,
    // and the frame runs once for all of them.
    keyAfter = -1;
    EXPECT_EQ(WaitForFrame(*timer, true), 8);
    EXPECT_EQ(asked, std::vector<int>({8 * 16}));
    EXPECT_EQ(ClockMillis() - start, 9u * 16);
    // A key two and a half ticks into such a sleep ends it: the frame runs then and reads the key.
    keyAfter = 40;
    EXPECT_EQ(Frame(*timer, true), 1);
    EXPECT_EQ(ClockMillis() - start, 9u * 16 + 40);
    // The ticks keep their times: the next frame of a moving screen comes at the third.
    EXPECT_EQ(Frame(*timer, false), 0);
    EXPECT_EQ(ClockMillis() - start, 12u * 16);
    // A key before the next tick runs the frame at once too, with no tick of its own.
    keyAfter = 5;
    EXPECT_EQ(WaitForFrame(*timer, true), 0);
    EXPECT_EQ(ClockMillis() - start, 12u * 16 + 5);
    BeginFrameInput();
    EXPECT_EQ(KeyWasHit(KEY_1), 1);
    EndFrameInput();
    EXPECT_EQ(asked.size(), 3u);
    // The mouse moving over a still screen wakes it at the tick, however many moves come before it;
    // a key after them still runs the frame at once.
    motionAfter = 3;
    EXPECT_EQ(WaitForFrame(*timer, true), 1);
    EXPECT_EQ(ClockMillis() - start, 13u * 16);
    BeginFrameInput();
    EndFrameInput();
    motionAfter = 2;
    keyAfter = 4;
    EXPECT_EQ(Frame(*timer, true), 1);
    EXPECT_EQ(ClockMillis() - start, 13u * 16 + 6);
    UseEventAwaiter(nullptr);
}

TEST_F(VirtualClock, SixteenTimersAtMost)
{
    std::vector<TTimerPtr> timers;
    for (int i = 0; i < 16; ++i) {
        timers.push_back(TTimer::Create(60.0f));
        ASSERT_TRUE(timers.back()) << i;
    }
    EXPECT_FALSE(TTimer::Create(60.0f));
    timers.pop_back();
    EXPECT_TRUE(TTimer::Create(30.0f));
    EXPECT_FALSE(TTimer::Create(0.0f));
    EXPECT_FALSE(TTimer::Create(-5.0f));
}

TEST(RealClock, WaitBlocksUntilItsTicksHavePassed)
{
    // Ticks count from the timer's creation, so however late a Wait returns, the ticks it has
    // reported in all can never be more than the whole periods that really passed.
    const uint64_t before = ClockMillis();
    auto timer = TTimer::Create(100.0f);
    ASSERT_TRUE(timer);
    int ticks = 0;
    for (int i = 0; i < 3; ++i) {
        const int passed = timer->Wait();
        EXPECT_GE(passed, 1);
        ticks += passed;
    }
    EXPECT_GE(ClockMillis() - before, uint64_t(10 * ticks));
}
