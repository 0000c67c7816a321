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

// One frame of a still screen as the frame loop runs it: the wait, the logic reading a key, the doze.
int StillFrame(TTimer& timer)
{
    timer.Wait();
    BeginFrameInput();
    const int hits = KeyWasHit(KEY_1);
    EndFrameInput();
    timer.DozeWhileStill(8);
    return hits;
}

TEST_F(VirtualClock, AStillScreenDozesAndStillRunsEveryTickItSleptThrough)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    std::vector<int> asked;
    bool keyComes = false;
    UseEventAwaiter([&](int ms) {
        asked.push_back(ms);
        if (!keyComes) {
            SleepMillis(ms);
            return false;
        }
        // A key two and a half ticks into the doze, left in the window system's queue.
        SleepMillis(40);
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = SDLK_1;
        SDL_PushEvent(&e);
        return true;
    });
    auto timer = TTimer::Create(60.0f);
    const uint64_t start = ClockMillis();
    // Two frames that show and read nothing new, then it sleeps up to eight ticks.
    StillFrame(*timer);
    StillFrame(*timer);
    EXPECT_TRUE(asked.empty());
    StillFrame(*timer);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], 8 * 16);
    // Those eight ticks are frames run at once, no sleep of their own; the last reads input and dozes again.
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(timer->WaitWouldSleep(1)) << i;
        StillFrame(*timer);
        EXPECT_EQ(ClockMillis() - start, 11u * 16) << i;
    }
    EXPECT_EQ(asked.size(), 1u);
    keyComes = true;
    StillFrame(*timer);
    ASSERT_EQ(asked.size(), 2u);
    // Of the two ticks that passed before the key, the first is run without it and the second reads it
    // at once; the frame after waits for the next tick as usual.
    const uint64_t woke = start + 11 * 16 + 40;
    EXPECT_EQ(ClockMillis(), woke);
    EXPECT_EQ(StillFrame(*timer), 0);
    EXPECT_EQ(ClockMillis(), woke);
    EXPECT_EQ(StillFrame(*timer), 1);
    EXPECT_EQ(ClockMillis(), woke);
    EXPECT_FALSE(timer->WaitWouldSleep(1));
    StillFrame(*timer);
    EXPECT_EQ(ClockMillis() - start, 14u * 16);
    EXPECT_EQ(asked.size(), 2u);
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
