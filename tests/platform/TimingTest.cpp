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
    // The frame loop's 1 ms sleep is always taken here, so scripted runs keep their clock readings.
    EXPECT_FALSE(timer->WaitWouldSleep(1));
}

// One frame of a still screen as the frame loop runs it: the wait, the logic reading a key, the doze
// (with `still` false, a frame of a screen that moves: no doze).
int StillFrame(TTimer& timer, bool still = true)
{
    timer.Wait();
    BeginFrameInput();
    const int hits = KeyWasHit(KEY_1);
    EndFrameInput();
    if (still)
        timer.DozeWhileStill(8);
    return hits;
}

TEST_F(VirtualClock, AStillScreenDozesAndStillRunsEveryTickItSleptThrough)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    std::vector<int> asked;
    // How far into the next sleep on the window a key is pressed, left in the window system's queue;
    // none when negative.
    int keyAfter = -1;
    UseEventAwaiter([&](int ms) {
        asked.push_back(ms);
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
    // Two frames that show and read nothing new, then it sleeps up to eight ticks. Until then each wait
    // after a still frame sleeps on the window to its tick.
    StillFrame(*timer);
    StillFrame(*timer);
    EXPECT_EQ(asked, std::vector<int>({16}));
    StillFrame(*timer);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[2], 8 * 16);
    // Those eight ticks are frames run at once, no sleep of their own; the last reads input and dozes again.
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(timer->WaitWouldSleep(1)) << i;
        StillFrame(*timer);
        EXPECT_EQ(ClockMillis() - start, 11u * 16) << i;
    }
    EXPECT_EQ(asked.size(), 3u);
    // A key two and a half ticks into the doze.
    keyAfter = 40;
    StillFrame(*timer);
    ASSERT_EQ(asked.size(), 4u);
    // Of the two ticks that passed before the key, the first is run without it and the second reads it
    // at once; the frame after sleeps on the window to the next tick.
    const uint64_t woke = start + 11 * 16 + 40;
    EXPECT_EQ(ClockMillis(), woke);
    EXPECT_EQ(StillFrame(*timer), 0);
    EXPECT_EQ(ClockMillis(), woke);
    EXPECT_EQ(StillFrame(*timer), 1);
    EXPECT_EQ(ClockMillis(), woke);
    EXPECT_FALSE(timer->WaitWouldSleep(1));
    StillFrame(*timer);
    EXPECT_EQ(ClockMillis() - start, 14u * 16);
    EXPECT_EQ(asked.size(), 5u);
    // A key that comes during such a sleep is read by a frame run then, not at the tick, and the ticks
    // after it are a full period apart from there.
    keyAfter = 5;
    EXPECT_EQ(StillFrame(*timer), 1);
    EXPECT_EQ(ClockMillis() - start, 14u * 16 + 5);
    EXPECT_EQ(StillFrame(*timer, false), 0);
    EXPECT_EQ(ClockMillis() - start, 15u * 16 + 5);
    // A screen that moves does not sleep on the window: its wait ends at its tick, however soon a key
    // would have come.
    keyAfter = 5;
    EXPECT_EQ(StillFrame(*timer, false), 0);
    EXPECT_EQ(ClockMillis() - start, 16u * 16 + 5);
    EXPECT_EQ(asked.size(), 7u);
    // A screen that moves by the clock dozes through the ticks it says will look the same, three here:
    // it sleeps to the fourth tick, whose frame runs on time after the three before it, run at once.
    keyAfter = -1;
    const uint64_t tick = ClockMillis();
    timer->DozeThroughUnchanged(3);
    ASSERT_EQ(asked.size(), 8u);
    EXPECT_EQ(asked[7], 4 * 16);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(timer->WaitWouldSleep(1)) << i;
        StillFrame(*timer, false);
        EXPECT_EQ(ClockMillis(), tick + 4 * 16) << i;
    }
    EXPECT_FALSE(timer->WaitWouldSleep(1));
    // A key ends such a doze: the two ticks that passed run at once, the second reading the key, and
    // the ticks keep their times.
    keyAfter = 40;
    timer->DozeThroughUnchanged(3);
    EXPECT_EQ(StillFrame(*timer, false), 0);
    EXPECT_EQ(StillFrame(*timer, false), 1);
    EXPECT_EQ(ClockMillis(), tick + 4 * 16 + 40);
    StillFrame(*timer, false);
    EXPECT_EQ(ClockMillis(), tick + 7 * 16);
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
    // Right after a wait the next tick is most of a period off; once it is due, the wait would not
    // sleep, and a short sleep before it is the only time the frame gives the processor up.
    const bool farOff = timer->WaitWouldSleep(1);
    SleepMillis(15);
    EXPECT_FALSE(timer->WaitWouldSleep(1));
    EXPECT_TRUE(farOff);
}
