// Loop testing - what tests, benchmarks and replays drive the clock and the frame's waits with: the
// virtual clock, a display's refresh modelled on it, and a stand-in for the window system's wait.
// The game's own code never includes it.
#pragma once

#include <functional>

// The virtual clock: time moves only when the program waits or sleeps, at once and without blocking.
// Tests and replays run the real frame loop on it.
void UseVirtualClock(bool on);
bool UsingVirtualClock();

// A display refreshing hz times a second whose presents wait for its vertical blank, modelled on the
// clock (real or virtual), in place of the open display's own rate; 0 goes back to the display's own.
void UseFakeRefreshRate(int hz);

// Stands in for the window system when a still screen's wait sleeps on the window's events: called with
// the longest sleep in milliseconds, it returns whether events came (on the virtual clock it moves the
// clock itself, with SleepMillis). An empty function gives the window system back.
void UseEventAwaiter(std::function<bool(int)> awaiter);
