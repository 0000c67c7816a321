// X11Window - the game's window destroyed by another X client counts as a close request.
#pragma once

struct SDL_Window;

// Watches the window when it lives on an X server (nothing on other window systems): errors about it
// once it is gone no longer end the program through the X library's report.
void WatchForDestroyFromOutside(SDL_Window* window);
// True once after the watched window was found destroyed from outside.
bool WindowDestroyedFromOutside();
