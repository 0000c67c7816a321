// WindowSystem - what the frame loop, input and presenting ask of the window system under the display:
// waiting for the window's events, presenting boxes of the picture that changed, and a window destroyed
// from outside. The build chooses who answers: x11/ on the desktop (which answers for nothing when SDL
// runs on another window system), web/ in the browser (a page's canvas, which offers none of it).
#pragma once

struct SDL_Window;

// A window destroyed from outside (by a script, a tool or a window manager).

// Watches the window when its window system can tell that it was destroyed from outside.
void WatchForDestroyFromOutside(SDL_Window* window);
// True once after the watched window was found destroyed from outside.
bool WindowDestroyedFromOutside();

// Waiting for the window's events.

// Whether the window's events come over a connection this program can sleep on.
bool WindowSystemEventsAwaitable();
// Sleeps until the window system has sent something the event pump has yet to read, or `timeoutMs`
// pass; true when something came (or may have: an interrupted wait counts as something). False at once
// where the events cannot be awaited.
bool AwaitWindowSystemEvents(int timeoutMs);

// Presenting changed boxes.

// A box of the window's picture with y downwards: left and top included, right and bottom excluded.
struct TWindowBox {
    int left, top, right, bottom;
};

// Looks for the window system's ways of presenting on the GL context just made current.
void LoadPresentWays();
// Whether the window system tells how old the back buffer is once swapped.
bool WindowTellsBackBufferAge();
// True when the window system tells that the back buffer still holds the frame last swapped; false
// otherwise.
bool BackBufferHoldsLastFrame();
// Whether a box of the back buffer can be copied to the window without swapping.
bool WindowCopiesBoxes();
// Brings the window, `height` pixels tall, up to date with boxes of its back buffer.
void CopyBoxesToWindow(const TWindowBox* boxes, int count, int height);
