// FrameLoop - the waits of the game's frame, and every sleep it takes.
//
// The frame's order (wait, input, quit test, logic, drawing, present, sleep) is told where it is done,
// beside RunFrame (src/app/Startup.cpp). Its waits are done here.
//
// THE WAIT
// WaitForFrame waits for the timer's next tick, and for the display's refresh when the last frame's
// present did not wait for it. A swap that waits for the display's vertical blank paces the frame by
// itself. A frame left out because it would show the picture already there, or shown by copying boxes,
// waits for nothing, so the next wait makes up for it: it waits for the refresh such a swap would have
// returned at, the first after the present on the grid of refreshes laid from the last real swap. So
// frames come at the display's rate however little moves, and the level's frame-counted clock runs at
// 60 frames a second on a 60 Hz display, 50 on a 50 Hz one, as it would if every frame were swapped.
//
// THE SLEEP AFTER A FRAME
// SleepAfterFrame sleeps 1 ms, to give the processor up once a frame. When the next wait sleeps a
// millisecond or more anyway, that sleep gives it up, and a second would only wake the program twice a
// frame. On the virtual clock it is always taken, so scripted runs keep their clock.
//
// SLEEPING LONGER
// A still screen (the title, the level's tally, game over, and any screen while paused: nothing on it
// moves or counts frames; TGame::StillUntilInput) draws the same picture every tick until the player
// does something. After such a frame the wait sleeps on the window's events rather than to the tick,
// for up to 8 ticks (128 ms, so what SDL does on its own clock while reading events, keeping the screen
// saver off or settling a focus change, is late by no more), and events end it at once: the frame runs
// then, whatever the tick, so a key on a still screen shows without waiting for a tick at all. Mouse
// motion is the exception: it wakes the screen at its next tick, never sooner, however fast it comes. The
// ticks slept through are not run; their frames would have drawn the same picture. That is the only
// sleep longer than a tick, and only the X connection (or a test's stand-in) can end it early; in the
// browser, on other window systems and on the virtual clock a still screen waits for its tick as every
// screen does. Every frame of every other screen runs at its tick, in time as it comes.
//
// Everything the frame's waits know lives in `frameLoop` below; the timer keeps only its ticks.
#include "platform/Timing.h"

#include "platform/loop/FrameLoop.h"
#include "platform/loop/LoopTesting.h"
#include "platform/window/WindowSystem.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// The longest a still screen's wait sleeps, in ticks.
constexpr int STILL_TICKS = 8;

struct TFrameLoop {
    // A test's stand-in for the window system's wait for events; empty: the window system.
    std::function<bool(int)> eventAwaiter;
    // A display of this rate modelled on the clock, whose presents wait for nothing by themselves; 0: none.
    int fakeRefreshHz = 0;
    // The last refresh a present had or would have had, on the clock of ClockMillis with the fraction
    // the period leaves; unknown until a display's first present.
    bool refreshKnown = false;
    double lastRefreshMs = 0.0;
    // The refresh the next frame waits for, when the last present did not; 0 when there is none.
    double refreshDueMs = 0.0;
} frameLoop;

// Whether AwaitWindowEvents can sleep on the window system (an X connection) or a test's stand-in. On
// the virtual clock only the stand-in: a real sleep there would let no virtual time pass.
bool WindowEventsAwaitable() { return frameLoop.eventAwaiter || (!UsingVirtualClock() && WindowSystemEventsAwaitable()); }

// Whether an event that cannot wait for the tick is queued: anything but the mouse moving. Motion
// comes hundreds of times a second as the mouse crosses the window, and a still screen shows nothing
// of it sooner than its tick.
bool UrgentEventQueued()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return false;
    return SDL_HasEvents(SDL_FIRSTEVENT, SDL_MOUSEMOTION - 1) || SDL_HasEvents(SDL_MOUSEMOTION + 1, SDL_LASTEVENT);
}

// Sleeps until the window has events to read or `timeoutMs` pass; true when events (may) have come.
bool AwaitWindowEvents(int timeoutMs)
{
    if (frameLoop.eventAwaiter)
        return frameLoop.eventAwaiter(timeoutMs);
    // Events SDL queued itself, or another thread's, are there already.
    if (UrgentEventQueued())
        return true;
    return AwaitWindowSystemEvents(timeoutMs);
}

// Sleeps on the window's events until one that cannot wait comes (true) or the clock reaches `until`
// (false). Mouse motion alone brings the end forward to `tick`: the frame then runs at its tick.
bool AwaitEventsUntil(uint64_t until, uint64_t tick)
{
    for (uint64_t now = ClockMillis(); now < until;) {
        if (AwaitWindowEvents(static_cast<int>(until - now))) {
            // Into SDL's queue, where what came can be told apart.
            if (SDL_WasInit(SDL_INIT_EVENTS))
                SDL_PumpEvents();
            if (UrgentEventQueued() || !SDL_WasInit(SDL_INIT_EVENTS))
                return true;
            until = std::min(until, tick);
        }
        const uint64_t later = ClockMillis();
        // A stand-in that lets no time pass would hold the program here for good.
        if (later == now)
            return false;
        now = later;
    }
    return false;
}

}  // namespace

void UseEventAwaiter(std::function<bool(int)> awaiter) { frameLoop.eventAwaiter = std::move(awaiter); }

void UseFakeRefreshRate(int hz)
{
    frameLoop.fakeRefreshHz = std::max(hz, 0);
    loop::ForgetRefresh();
}

void loop::ForgetRefresh()
{
    frameLoop.refreshKnown = false;
    frameLoop.refreshDueMs = 0.0;
}

void loop::FramePresented(bool swapped, int refreshHz)
{
    if (frameLoop.fakeRefreshHz > 0)
        refreshHz = frameLoop.fakeRefreshHz;
    frameLoop.refreshDueMs = 0.0;
    if (refreshHz <= 0)
        return;
    const double now = double(ClockMillis());
    // A real swap has just waited for the blank: count from here. The first frame of a display, swapped
    // or not, lays the grid too.
    if (!frameLoop.refreshKnown || (swapped && frameLoop.fakeRefreshHz == 0)) {
        frameLoop.lastRefreshMs = now;
        frameLoop.refreshKnown = true;
        return;
    }
    const double period = 1000.0 / refreshHz;
    frameLoop.lastRefreshMs += (std::floor((now - frameLoop.lastRefreshMs) / period) + 1.0) * period;
    frameLoop.refreshDueMs = frameLoop.lastRefreshMs;
}

int WaitForFrame(TTimer& timer, bool still)
{
    if (still && WindowEventsAwaitable()) {
        // Nothing on a still screen counts frames, so neither the refresh nor the tick matters to it.
        frameLoop.refreshDueMs = 0.0;
        const uint64_t until = timer.NextTickMillis() + uint64_t(STILL_TICKS - 1) * uint64_t(timer.PeriodMillis());
        if (AwaitEventsUntil(until, timer.NextTickMillis()))
            return timer.TakeTicks();
        return timer.Wait();
    }
    if (frameLoop.refreshDueMs > 0.0) {
        SleepMillis(int(std::ceil(frameLoop.refreshDueMs - double(ClockMillis()))));
        frameLoop.refreshDueMs = 0.0;
    }
    return timer.Wait();
}

void SleepAfterFrame(const TTimer& timer)
{
    const double wakes = std::max(double(timer.NextTickMillis()), frameLoop.refreshDueMs);
    if (UsingVirtualClock() || wakes < double(ClockMillis() + 1))
        SleepMillis(1);
}
