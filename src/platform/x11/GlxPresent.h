// GlxPresent - what the X server's GL offers beyond the core for presenting frames: whether a swap kept
// the back buffer, and copying boxes of it to the window.
#pragma once

// A box of the window's picture with y downwards: left and top included, right and bottom excluded.
struct TWindowBox {
    int left, top, right, bottom;
};

// Looks for the extensions on the GL context just made current; finds none off X.
void LoadGlxPresent();
// Whether the driver tells how old the back buffer is once swapped (GLX_EXT_buffer_age).
bool GlxTellsBackBufferAge();
// True when the driver tells that the back buffer still holds the frame last swapped; false otherwise.
bool GlxBackBufferHoldsLastFrame();
// Whether a box of the back buffer can be copied to the window (GLX_MESA_copy_sub_buffer).
bool GlxCopiesBoxes();
// Brings the window, `height` pixels tall, up to date with boxes of its back buffer.
void GlxCopyBoxesToWindow(const TWindowBox* boxes, int count, int height);
