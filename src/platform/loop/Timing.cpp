// Timing - the clock (the machine's, or a virtual one) and the periodic frame timer on it.
//
// The virtual clock moves only when the program waits or sleeps, and then at once: tests, replays and
// benchmarks run the real frame loop on it without waiting. What a frame does with the timer, and every
// other sleep it takes, is in FrameLoop.cpp.
#include "platform/Timing.h"

#include "platform/loop/LoopTesting.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

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

uint64_t TTimer::TicksSoFar() const { return (ClockMillis() - startMs) / static_cast<uint64_t>(period); }

uint64_t TTimer::NextTickMillis() const { return startMs + (consumed + 1) * static_cast<uint64_t>(period); }

int TTimer::TakeTicks()
{
    const uint64_t ticks = TicksSoFar();
    if (ticks <= consumed)
        return 0;
    const int passed = static_cast<int>(ticks - consumed);
    consumed = ticks;
    return passed;
}

int TTimer::Wait()
{
    if (TicksSoFar() <= consumed) {
        if (virtualClock) {
            // Straight to the next tick: no real time passes.
            virtualNow = NextTickMillis();
        } else if (!BrowserPacesFrames()) {
            // One sleep to the tick rather than short steps: every waking up costs an idle screen its
            // share of the processor.
            while (TicksSoFar() <= consumed)
                std::this_thread::sleep_until(
                    std::chrono::steady_clock::time_point(std::chrono::milliseconds(NextTickMillis())));
        }
    }
    return TakeTicks();
}
