// Refresh pacing - the wait for the vertical blank that a frame left out of presenting would have had.
//
// With vertical sync the swap of a presented frame returns at a refresh of the display, so the game
// runs at the display's rate (60 Hz) rather than its 16 ms timer's 62.5. A frame whose picture did not
// change is not swapped; without a wait of its own it would come after the timer alone, and the
// frame-counted level timer and flasher would run up to 4 % fast, by how much depending on what moves.
// So that frame sleeps until the refresh its swap would have returned at: the first one after now on
// the grid of refreshes laid from the last swap's return at the display's period.
#include "platform/loop/RefreshPacing.h"

#include "platform/Testing.h"
#include "platform/Timing.h"

#include <cmath>

namespace {
// A display of this rate modelled on the clock, whose swap waits for nothing by itself; 0 when none.
int fakeRefreshHz = 0;
bool anchored = false;
double lastRefreshMs = 0.0;   // on the clock of ClockMillis, with the fraction the period leaves
}

void UseFakeRefreshRate(int hz)
{
    fakeRefreshHz = hz > 0 ? hz : 0;
    anchored = false;
}

void gfx::ResetRefreshPacing() { anchored = false; }

void gfx::PaceToRefresh(bool presented, int refreshHz)
{
    if (fakeRefreshHz > 0)
        refreshHz = fakeRefreshHz;
    // Frames a doze slept through have had their wait already.
    if (refreshHz <= 0 || CatchingUpFrames())
        return;
    const double now = double(ClockMillis());
    // A real swap has just waited for the blank: count from here. The first frame of a display, swapped
    // or not, starts the grid too.
    if (!anchored || (presented && fakeRefreshHz == 0)) {
        lastRefreshMs = now;
        anchored = true;
        return;
    }
    const double period = 1000.0 / refreshHz;
    const double next = lastRefreshMs + (std::floor((now - lastRefreshMs) / period) + 1.0) * period;
    SleepMillis(int(std::ceil(next - now)));
    lastRefreshMs = next;
}
