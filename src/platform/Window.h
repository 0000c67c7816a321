// Window - decorations of the open display's window that the window manager controls.
#pragma once

struct TDisplay;

// Lets the user resize (and so maximise) the display's window, or stops it; the game picture keeps its
// aspect with bars either way. Returns 1 when the window is now as asked; 0 when the display is not the
// open one or the video driver cannot change it (the offscreen driver has no window manager).
int SetDisplayResizable(TDisplay* display, int resizable);
