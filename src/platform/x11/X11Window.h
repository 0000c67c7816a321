// X11Window - the game's window destroyed by another X client counts as a close request; and waiting
// for the X server to send the window something.
#pragma once

#include <cstdint>

struct SDL_Window;

// Watches the window when it lives on an X server (nothing on other window systems): errors about it
// once it is gone no longer end the program through the X library's report.
void WatchForDestroyFromOutside(SDL_Window* window);
// True once after the watched window was found destroyed from outside.
bool WindowDestroyedFromOutside();

// Whether the window's events come over an X connection this program can wait on.
bool XEventsAwaitable();
// Sleeps until the X server has sent something the event pump has yet to read, or `timeoutMs` pass;
// true when something came (or may have: an interrupted wait counts as something).
bool AwaitXEvents(int timeoutMs);
