// Present - FlipDisplay: the frame recorded since the last one drawn into the picture and brought to the
// window, by a swap or by copying its boxes, and paced to the display's refresh.
//
// The picture lasts from frame to frame in the off-screen buffer; the back buffer keeps it only where
// the driver says a swap preserves it (GLX_EXT_buffer_age), or where frames are presented without
// swapping at all.
//
// PRESENTING A BOX
// A frame that changed little is drawn only within the box around its changes (DrawBatch), but a swap
// still sends the whole window on: under an X server without a GPU that is a 3 MB image per frame,
// most of a level's processor time. Where the window's back buffer is the picture, the driver does not
// tell whether a swap keeps it, and it offers GLX_MESA_copy_sub_buffer (Mesa's GLX does, Xvfb's
// included), frames are presented by copying their box of the back buffer to the window instead of
// swapping: the copy leaves the back buffer as it was, so it still holds the picture for the next
// frame's box, and only the changed pixels travel. Such a present does not wait for the blank, so the
// frame is paced to the refresh as a frame left out is.
#include "platform/Display.h"
#include "platform/gl/GLTesting.h"

#include <SDL.h>

#include <cstring>

#include "platform/gfx/DrawBatch.h"
#include "platform/gfx/PictureHash.h"
#include "platform/gl/DisplayState.h"
#include "platform/gl/GL.h"
#include "platform/loop/FrameLoop.h"
#include "platform/window/WindowSystem.h"

using namespace gl;

namespace {

uint64_t pictureCopies = 0;

// The refresh rate of the monitor the window is on while swaps wait for its blank; 0 otherwise or when
// the driver does not know it.
int SyncedRefreshRate(const TDisplay& d)
{
    if (!d.swapWaits)
        return 0;
    SDL_DisplayMode mode{};
    const int index = SDL_GetWindowDisplayIndex(d.window);
    if (index < 0 || SDL_GetCurrentDisplayMode(index, &mode) != 0)
        return 0;
    return mode.refresh_rate;
}

// Whether the picture still holds the last frame drawn into it, so a frame may draw only what changed.
// The off-screen picture is the game's own; the window's back buffer only where the driver keeps it.
bool PictureKept(const TDisplay& d)
{
    if (!d.direct || d.backKept || d.presentsByCopy)
        return true;
    return BackBufferHoldsLastFrame();
}

// Brings the window up to date with the boxes of the back buffer the frame drew.
void CopyDrawnBoxesToWindow(const TDisplay& d, const gfx::TBoxes& boxes)
{
    TWindowBox window[gfx::MAX_BOXES];
    for (int b = 0; b < boxes.count; ++b)
        window[b] = {boxes.box[b].left, boxes.box[b].top, boxes.box[b].right, boxes.box[b].bottom};
    CopyBoxesToWindow(window, boxes.count, d.height);
}

}  // namespace

void gl::ChoosePresenting(TDisplay& d)
{
    // The offscreen driver draws into a surface that a swap never replaces.
    const char* driver = SDL_GetCurrentVideoDriver();
    d.backKept = driver && std::strcmp(driver, "offscreen") == 0;
    LoadPresentWays();
    // Where a swap is known to keep the back buffer, swapping stays the way to present (and to wait for
    // the blank); copying boxes is for drivers that cannot tell.
    d.presentsByCopy = !d.backKept && !WindowTellsBackBufferAge() && WindowCopiesBoxes();
}

void FlipDisplay(int sync)
{
    TDisplay* display = CurrentDisplay();
    if (!display)
        return;
    gfx::EndFrameCount();
    // A drawable of another size (a resize whose event has not been read yet) needs the picture again.
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(display->window, &dw, &dh);
    if (dw != display->presentedWidth || dh != display->presentedHeight)
        gfx::InvalidatePresented();
    ChoosePicture(*display, dw, dh);
    // The same picture as the window already shows: no GL work and no swap at all, but the same wait
    // for the display's refresh as a swap would have had.
    gfx::TBoxes drawn;
    if (!gfx::EndFrame(PictureKept(*display), drawn)) {
        if (sync)
            loop::FramePresented(false, SyncedRefreshRate(*display));
        return;
    }
    display->presentedWidth = dw;
    display->presentedHeight = dh;
    const int interval = sync ? 1 : 0;
    if (interval != display->swapInterval) {
        // Refused by some drivers; the frame timer still paces.
        display->swapWaits = SDL_GL_SetSwapInterval(interval) == 0 && interval == 1;
        display->swapInterval = interval;
    }
    if (display->direct && display->presentsByCopy) {
        CopyDrawnBoxesToWindow(*display, drawn);
        if (sync)
            loop::FramePresented(false, SyncedRefreshRate(*display));
        return;
    }
    if (!display->direct) {
        CopyPictureIntoWindow(*display);
        ++pictureCopies;
    }
    SDL_GL_SwapWindow(display->window);
    glBindFramebuffer(GL_FRAMEBUFFER, PictureFramebuffer(*display));
    if (sync)
        loop::FramePresented(true, SyncedRefreshRate(*display));
}

void InvalidatePresentedFrame() { gfx::InvalidatePresented(); }

uint64_t PictureCopyCount() { return pictureCopies; }
