// Timing - the periodic frame timer, the millisecond clock and sleeping, on a real or a virtual clock.
#pragma once

#include <cstdint>
#include <memory>

class TTimer {
public:
    // Period of trunc(1000 / hz) whole milliseconds; null when 16 timers already exist or hz is not positive.
    static std::shared_ptr<TTimer> Create(float hz);
    ~TTimer();
    // Processes window events while waiting until at least one tick occurred since the previous Wait;
    // returns the ticks that occurred (at least 1). In the browser, which must get control back to show a
    // frame, it never waits: with no tick due it returns 0 at once.
    int Wait();
    // Whether the next Wait, called now, would sleep `ms` milliseconds or more on the real clock: then a
    // sleep of `ms` just before it gives the processor up no longer and only wakes the program once more.
    bool WaitWouldSleep(int ms) const;
    int PeriodMillis() const { return period; }

private:
    explicit TTimer(int periodMs);
    int period;
    uint64_t startMs;
    uint64_t consumed = 0;
};

using TTimerPtr = std::shared_ptr<TTimer>;

int MillisecondClock();
void SleepMillis(int ms);
uint64_t ClockMillis();   // the current clock (real or virtual) without wrapping
