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
// A box of a picture: left and top included, right and bottom excluded.
struct TWindowBox {
    int left, top, right, bottom;
};
// Puts a width x height picture of 0xAARRGGBB words, top row first, on the watched window at once, as
// its picture until GL presents one: the window filled with `background` and the boxes taken from
// `argb` (everything outside them must be that colour). The window must be that size, in a true-colour
// visual of 8 bits a colour and the given depth (24 or 32; false, nothing shown, for any other).
bool ShowPictureOnWindow(const uint32_t* argb, int width, int height, int depth, uint32_t background,
                         const TWindowBox* boxes, int count);
