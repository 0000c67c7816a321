// X11Window in the browser: a page's canvas has no X server behind it, and nothing outside can destroy it.
#include "platform/x11/X11Window.h"

void WatchForDestroyFromOutside(SDL_Window*) {}

bool WindowDestroyedFromOutside() { return false; }

bool XEventsAwaitable() { return false; }

bool AwaitXEvents(int) { return false; }
