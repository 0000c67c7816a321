// Background work: a long job cut into steps (decoding the rest of a tune) that must never hold up a
// frame.
#pragma once

#include <functional>

// Calls step until it returns false. On the desktop the steps run one after another on a thread of
// their own at low priority (or at once when no thread can be had); in the browser, which runs the
// game on one thread, RunBackgroundSteps gives them their turns between frames.
void RunInBackground(std::function<bool()> step);
// The browser's turn for the waiting steps, once a frame; nothing to do on the desktop.
void RunBackgroundSteps();
