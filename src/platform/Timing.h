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
    // Also true while frames a doze slept through are being run: their sleep has been had.
    bool WaitWouldSleep(int ms) const;
    int PeriodMillis() const { return period; }
    // Called after each frame of a screen that changes only when the player does something. Once two
    // frames in a row have presented nothing and read no events, it sleeps until the window has events
    // or `maxTicks` ticks have passed, instead of waking for every tick of a picture that cannot change.
    // No frame is lost: the ticks slept through come back from the following Waits at once, one each
    // and without reading input, and the last of them reads the events (so events that end the doze are
    // read at once). Short of a doze, the next Wait sleeps on the window's events until its tick, and
    // events that come first end it at once: the tick is moved to then, and the following ticks keep a
    // full period from there. Neither happens on the virtual clock (unless a test gives an event
    // awaiter), in the browser, or where the window's events cannot be waited for.
    void DozeWhileStill(int maxTicks);
    // Called after a frame whose picture the next `ticks` ticks' frames will draw again unchanged unless
    // the player does something (a level whose clock has yet to move its bar or seconds, say): sleeps
    // until the window has events or the tick after those has come, then the following Waits hand out
    // the ticks that passed at once, one each, the last reading the events, as after a doze. So the
    // frame that changes the picture runs at its tick, and a key is read at once once a tick has passed
    // since the frame before; the ticks keep their times (a key never moves them). Not on the virtual
    // clock (unless a test gives an event awaiter), in the browser, or where events cannot be waited for.
    void DozeThroughUnchanged(int ticks);

private:
    explicit TTimer(int periodMs);
    uint64_t TicksSoFar() const;
    int period;
    uint64_t startMs;
    uint64_t consumed = 0;
    // Ticks a doze slept through, not yet run.
    uint64_t owed = 0;
    int quietFrames = 0;
    // The frame before the next Wait was of a still screen (DozeWhileStill).
    bool stillBeforeWait = false;
    uint64_t lastPresented = UINT64_MAX, lastEvents = UINT64_MAX;
};

using TTimerPtr = std::shared_ptr<TTimer>;

int MillisecondClock();
void SleepMillis(int ms);
uint64_t ClockMillis();   // the current clock (real or virtual) without wrapping
// True while a timer runs the frames its doze slept through: nothing waits for the display then.
bool CatchingUpFrames();
