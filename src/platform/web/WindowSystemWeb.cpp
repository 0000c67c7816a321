// WindowSystem in the browser: a page's canvas has no connection to sleep on, nothing outside can
// destroy it, and its frames are always swapped whole.
#include "platform/window/WindowSystem.h"

void WatchForDestroyFromOutside(SDL_Window*) {}

bool WindowDestroyedFromOutside() { return false; }

bool WindowSystemEventsAwaitable() { return false; }

bool AwaitWindowSystemEvents(int) { return false; }

void LoadPresentWays() {}

bool WindowTellsBackBufferAge() { return false; }

bool BackBufferHoldsLastFrame() { return false; }

bool WindowCopiesBoxes() { return false; }

void CopyBoxesToWindow(const TWindowBox*, int, int) {}
