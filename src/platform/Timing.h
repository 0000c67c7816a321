// Timing - the periodic frame timer, the millisecond clock and sleeping, on a real or a virtual clock,
// and the platform's two steps of the game's frame (loop/FrameLoop.cpp tells the whole frame).
#pragma once

#include <cstdint>
#include <memory>

class TTimer {
public:
    // Period of trunc(1000 / hz) whole milliseconds; null when 16 timers already exist or hz is not positive.
    static std::shared_ptr<TTimer> Create(float hz);
    ~TTimer();
    // Waits until at least one tick occurred since the previous Wait; returns the ticks that occurred
    // (at least 1). The window's events are read by the frame that follows (BeginFrameInput), not here.
    // In the browser, which must get control back to show a frame, it never waits: with no tick due it
    // returns 0 at once.
    int Wait();
    // Takes the ticks that occurred since the previous Wait without waiting for one: 0 when none has.
    int TakeTicks();
    // When the next tick not yet taken is due, on the clock of ClockMillis.
    uint64_t NextTickMillis() const;
    int PeriodMillis() const { return period; }

private:
    explicit TTimer(int periodMs);
    uint64_t TicksSoFar() const;
    int period;
    uint64_t startMs;
    uint64_t consumed = 0;
};

using TTimerPtr = std::shared_ptr<TTimer>;

int MillisecondClock();
void SleepMillis(int ms);
uint64_t ClockMillis();   // the current clock (real or virtual) without wrapping

// The frame's first step: waits for the timer's next tick, and for the display's refresh that the last
// frame's present did not wait for. still: the last frame was of a screen that changes only when the
// player does something (TGame::StillUntilInput); the wait then sleeps until the window has events,
// for at most 8 ticks, and events end it at once. Returns the ticks that passed, which the game ignores.
int WaitForFrame(TTimer& timer, bool still);
// The frame's last step, after its present: gives the processor up for 1 ms, unless the next wait
// sleeps that long anyway.
void SleepAfterFrame(const TTimer& timer);
