// Timing - the frame timer and the clock, on real time or on a virtual clock that moves only when the
// program waits, so tests and replays run the real frame loop without waiting.
//
// DOZING
// A screen that changes only when the player does something (the title) would otherwise wake 62.5 times
// a second to find its picture as it was, and on an idle machine the waking up is most of what it
// costs. So once two frames have presented nothing and read no events, the timer sleeps on the window's
// events for up to a few ticks, and then hands out the ticks it slept through one by one without
// waiting, so the frame loop runs each of those frames' logic and drawing as it would have, in order
// and with the same input (none: input would have ended the doze). The last of them reads the events,
// so a key that ends a doze is read at once by the frame of the tick that passed last, rather than at
// the next tick: on a still screen it shows without waiting for a tick at all.
//
// Between dozes (the frames just after a key, or the first two of a still screen) a still screen's wait
// for its tick sleeps on the window's events too, and a key that comes before the tick runs the frame
// at once: the tick is moved to that moment and the ticks after it follow a period apart from there.
// Nothing on a still screen counts frames, so one shorter period shows nowhere; without it, a key that
// came just after a frame read its events waited up to a whole period for the next frame. A doze that a
// key ends before its first tick has passed ends in such a wait, and its frame runs at once too.
//
// A screen that moves by the clock (a level: its bar loses a pixel every few ticks, its seconds and
// its cursor's blink change now and then) can often tell how many ticks to come will draw the very
// picture on screen now. It dozes through those alone: the frame whose picture changes runs at its
// tick as it always would, after the frames before it, run at once. Its ticks are counted, so a key
// never moves them; it only ends the sleep, and is read as soon as a tick has passed.
#include "platform/Timing.h"
#include "platform/Testing.h"

#include "platform/Input.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {
bool virtualClock = false;
uint64_t virtualNow = 0;
std::atomic<int> liveTimers{0};
constexpr int MAX_TIMERS = 16;
// A timer is running the frames its doze slept through.
bool catchingUp = false;

constexpr bool BrowserPacesFrames()
{
#ifdef __EMSCRIPTEN__
    return true;
#else
    return false;
#endif
}

// Counted from the steady clock's own origin (the machine's boot), never from the program's start: the
// generator is seeded from this clock, and a clock that starts with the process would give every run
// the same seed, so the same questions. A browser's steady clock starts with the page, and a page
// reads it first after a few hundred milliseconds, give or take a few hundred: so there it counts from
// the wall clock's reading at the page's start, which never goes back while the page lives.
uint64_t RealMillis()
{
    const auto steady = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch()).count();
#ifdef __EMSCRIPTEN__
    static const double pageStart = EM_ASM_DOUBLE({ return performance.timeOrigin; });
    return static_cast<uint64_t>(pageStart) + static_cast<uint64_t>(steady);
#else
    return static_cast<uint64_t>(steady);
#endif
}

// Sleeps on the window's events until they come (true) or the clock reaches `until` (false).
bool AwaitEventsUntil(uint64_t until)
{
    for (uint64_t now = ClockMillis(); now < until;) {
        if (AwaitWindowEvents(static_cast<int>(until - now)))
            return true;
        const uint64_t later = ClockMillis();
        // An awaiter that lets no time pass would hold the program here for good.
        if (later == now)
            return false;
        now = later;
    }
    return false;
}
}

void UseVirtualClock(bool on) { virtualClock = on; }
bool UsingVirtualClock() { return virtualClock; }
bool CatchingUpFrames() { return catchingUp; }
uint64_t ClockMillis() { return virtualClock ? virtualNow : RealMillis(); }

int MillisecondClock() { return static_cast<int>(static_cast<uint32_t>(ClockMillis())); }

void SleepMillis(int ms)
{
    if (ms <= 0) return;
    if (virtualClock) {
        virtualNow += static_cast<uint64_t>(ms);
        return;
    }
    // A page's one thread cannot sleep: the browser would freeze while it waited.
    if (BrowserPacesFrames()) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::shared_ptr<TTimer> TTimer::Create(float hz)
{
    if (!(hz > 0.0f)) return nullptr;
    const int period = static_cast<int>(1000.0f / hz);
    if (period < 1) return nullptr;
    if (liveTimers.fetch_add(1) >= MAX_TIMERS) {
        liveTimers.fetch_sub(1);
        return nullptr;
    }
    return std::shared_ptr<TTimer>(new TTimer(period));
}

TTimer::TTimer(int periodMs) : period(periodMs), startMs(ClockMillis()) {}

TTimer::~TTimer()
{
    liveTimers.fetch_sub(1);
    // Frames left owed by a timer that is gone are nobody's to run.
    if (owed > 0)
        catchingUp = false;
}

uint64_t TTimer::TicksSoFar() const { return (ClockMillis() - startMs) / static_cast<uint64_t>(period); }

bool TTimer::WaitWouldSleep(int ms) const
{
    if (owed > 0)
        return true;
    if (virtualClock || BrowserPacesFrames())
        return false;
    const uint64_t next = startMs + (consumed + 1) * static_cast<uint64_t>(period);
    return next >= ClockMillis() + static_cast<uint64_t>(ms);
}

int TTimer::Wait()
{
    // Only the wait right after a frame of a still screen may sleep on the window.
    const bool still = stillBeforeWait;
    stillBeforeWait = false;
    if (owed > 0) {
        // A tick the doze slept through: its frame runs now, and the last of them reads what came.
        --owed;
        ++consumed;
        if (owed == 0)
            PollInputEventsEndingWait();
        else
            NothingToReadEndingWait();
        catchingUp = owed > 0;
        return 1;
    }
    uint64_t ticks = TicksSoFar();
    if (ticks <= consumed && still && WindowEventsAwaitable() && !BrowserPacesFrames()) {
        // A still screen shows nothing that counts frames, so when a key comes before the tick its frame
        // runs at once, and the ticks after it follow a full period apart from there.
        const uint64_t next = startMs + (consumed + 1) * static_cast<uint64_t>(period);
        if (AwaitEventsUntil(next)) {
            // Modular arithmetic: a timer made at the virtual clock's zero may have its origin "before" it.
            const uint64_t now = ClockMillis();
            if (now < next)
                startMs -= next - now;
            PollInputEventsEndingWait();
        }
        ticks = TicksSoFar();
    }
    if (ticks <= consumed) {
        if (virtualClock) {
            // Jump straight to the next tick: no real time passes.
            virtualNow = startMs + (consumed + 1) * static_cast<uint64_t>(period);
            PollInputEvents();
        } else if (BrowserPacesFrames()) {
            // The browser calls each frame once a tick is due and needs control back to show it.
            PollInputEvents();
        } else {
            // One sleep to the tick rather than short steps that look at the window on the way: every
            // waking up costs an idle screen its share of the processor. Events are taken in once, as
            // the wait ends, which is also as late as possible before the frame that reads them.
            // The sleep watches the window's connection on the way, so that when nothing came the
            // events need not be asked for at all.
            bool slept = false, quiet = true;
            while ((ticks = TicksSoFar()) <= consumed) {
                const uint64_t next = startMs + (consumed + 1) * static_cast<uint64_t>(period);
                slept = true;
                quiet = SleepWatchingWindow(std::chrono::steady_clock::time_point(std::chrono::milliseconds(next))) &&
                        quiet;
            }
            PollInputEventsEndingWait(slept && quiet);
        }
        ticks = TicksSoFar();
    }
    const int passed = static_cast<int>(ticks - consumed);
    consumed = ticks;
    return passed;
}

void TTimer::DozeWhileStill(int maxTicks)
{
    stillBeforeWait = true;
    const uint64_t presented = PresentedFrameCount(), events = WindowEventsRead();
    quietFrames = presented == lastPresented && events == lastEvents ? quietFrames + 1 : 0;
    lastPresented = presented;
    lastEvents = events;
    if (quietFrames < 2 || owed > 0 || maxTicks < 1 || BrowserPacesFrames() ||
        !WindowEventsAwaitable())
        return;
    AwaitEventsUntil(startMs + (consumed + static_cast<uint64_t>(maxTicks)) * static_cast<uint64_t>(period));
    const uint64_t ticks = TicksSoFar();
    owed = ticks > consumed ? ticks - consumed : 0;
    catchingUp = owed > 0;
}

void TTimer::DozeThroughUnchanged(int ticks)
{
    if (ticks < 1 || owed > 0 || BrowserPacesFrames() || !WindowEventsAwaitable())
        return;
    const uint64_t changing = consumed + static_cast<uint64_t>(ticks) + 1;
    AwaitEventsUntil(startMs + changing * static_cast<uint64_t>(period));
    // Woken late by a busy machine, the frames a plain wait would have run, no more: the ticks beyond
    // are left to the next Wait, which hands them out together as it always does.
    const uint64_t passed = std::min(TicksSoFar(), changing);
    owed = passed > consumed ? passed - consumed : 0;
    catchingUp = owed > 0;
}
