// Timing - the frame timer and the clock, on real time or on a virtual clock that moves only when the
// program waits, so tests and replays run the real frame loop without waiting.
#include "platform/Timing.h"
#include "platform/Testing.h"

#include "platform/Input.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
bool virtualClock = false;
uint64_t virtualNow = 0;
std::atomic<int> liveTimers{0};
constexpr int MAX_TIMERS = 16;

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
// the same seed, so the same questions.
uint64_t RealMillis()
{
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch()).count());
}
}

void UseVirtualClock(bool on) { virtualClock = on; }
bool UsingVirtualClock() { return virtualClock; }
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

TTimer::~TTimer() { liveTimers.fetch_sub(1); }

bool TTimer::WaitWouldSleep(int ms) const
{
    if (virtualClock || BrowserPacesFrames())
        return false;
    const uint64_t next = startMs + (consumed + 1) * static_cast<uint64_t>(period);
    return next >= ClockMillis() + static_cast<uint64_t>(ms);
}

int TTimer::Wait()
{
    auto ticksSoFar = [this] { return (ClockMillis() - startMs) / static_cast<uint64_t>(period); };
    uint64_t ticks = ticksSoFar();
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
            while ((ticks = ticksSoFar()) <= consumed) {
                const uint64_t next = startMs + (consumed + 1) * static_cast<uint64_t>(period);
                const uint64_t now = ClockMillis();
                if (next > now) std::this_thread::sleep_for(std::chrono::milliseconds(next - now));
            }
            PollInputEventsEndingWait();
        }
        ticks = ticksSoFar();
    }
    const int passed = static_cast<int>(ticks - consumed);
    consumed = ticks;
    return passed;
}
