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

// True when the X server has sent nothing the event pump has yet to read (the connection is flushed and
// read to find out, as the pump does): the pump can be left out. False whenever that cannot be known.
bool NothingArrivedFromX();
// Whether the window's events come over an X connection this program can wait on.
bool XEventsAwaitable();
// Sleeps until the X server has sent something the event pump has yet to read, or `timeoutMs` pass;
// true when something came (or may have: an interrupted wait counts as something).
bool AwaitXEvents(int timeoutMs);
// Has the preload thread make the memory for a width x height picture ready, to be shared with the X
// server (on other window systems, or if unused, it is simply let go).
void PreloadWindowPicture(int width, int height);
// A width x height picture of 0xAARRGGBB words, top row first, for ShowWindowPicture to put on the
// watched window: null unless the window is exactly that size in an 8-bit-per-colour format. Valid until
// ReleaseWindowPicture (or the next call).
uint32_t* WindowPictureBuffer(int width, int height);
// Puts that picture on the window, as its picture until GL presents one; false when nothing was shown.
bool ShowWindowPicture();
void ReleaseWindowPicture();
