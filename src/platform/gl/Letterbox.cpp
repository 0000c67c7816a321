// Letterbox - where the game's picture lives: the window's back buffer, or an off-screen picture scaled
// into the window's letterbox; and the window's points mapped back into game pixels.
//
// The game draws into a picture of exactly the opened size (1024 x 768 for the game). When the window's
// drawable has another size (a full-screen desktop mode, a HiDPI or resized window), the picture is an
// off-screen one and FlipDisplay scales it into the drawable with its aspect kept and black bars around
// it, so what the game draws never changes and ReadBackBuffer always reads game pixels. When the
// drawable is exactly the picture's size, as in the usual window, the window's own back buffer is the
// picture: a software rasteriser then saves a whole-window copy per frame (1.3 ms of a 1.7 ms empty
// frame here).
#include "platform/Display.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/gfx/DrawBatch.h"
#include "platform/gfx/PictureHash.h"
#include "platform/gl/DisplayState.h"
#include "platform/gl/GL.h"

using namespace gl;

namespace {

// The rectangle of the drawable that shows the game picture: as large as fits, aspect kept, centred.
SDL_Rect Letterbox(const TDisplay& d)
{
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(d.window, &dw, &dh);
    if (dw <= 0 || dh <= 0)
        return {0, 0, d.width, d.height};
    const double scale = std::min(double(dw) / d.width, double(dh) / d.height);
    const int w = std::max(1, int(d.width * scale + 0.5));
    const int h = std::max(1, int(d.height * scale + 0.5));
    return {(dw - w) / 2, (dh - h) / 2, w, h};
}

}  // namespace

unsigned gl::PictureFramebuffer(const TDisplay& d) { return d.direct ? 0u : d.framebuffer; }

// Made the first time the picture cannot be the window's back buffer: a window of exactly the game's
// size never needs them, and the software rasteriser clears the 3 MiB of a texture as it makes it,
// before the first frame.
bool gl::MakeOffscreenPicture(TDisplay& d)
{
    if (d.framebuffer)
        return true;
    glGenTextures(1, &d.picture);
    glBindTexture(GL_TEXTURE_2D, d.picture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, d.width, d.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &d.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, d.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, d.picture, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) {
        glDeleteFramebuffers(1, &d.framebuffer);
        glDeleteTextures(1, &d.picture);
        d.framebuffer = d.picture = 0;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, PictureFramebuffer(d));
    return complete;
}

void gl::ChoosePicture(TDisplay& d, int drawableWidth, int drawableHeight)
{
    const bool direct = drawableWidth == d.width && drawableHeight == d.height;
    if (direct == d.direct)
        return;
    // What is recorded so far belongs in the picture being left.
    gfx::Submit();
    // Without an off-screen picture the back buffer stays the picture, as at any other size.
    if (!direct && !MakeOffscreenPicture(d))
        return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, PictureFramebuffer(d));
    d.direct = direct;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, PictureFramebuffer(d));
    // Leaving the back buffer after a resize copies whatever the driver kept of it.
    glBlitFramebuffer(0, 0, d.width, d.height, 0, 0, d.width, d.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, PictureFramebuffer(d));
    gfx::InvalidatePresented();
}

// The window's y runs upwards in GL, like the picture's, so the copy needs no flip.
void gl::CopyPictureIntoWindow(const TDisplay& d)
{
    const SDL_Rect box = Letterbox(d);
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(d.window, &dw, &dh);
    const int y0 = (dh > 0 ? dh : d.height) - box.y - box.h;
    const bool exact = box.w == d.width && box.h == d.height;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBlitFramebuffer(0, 0, d.width, d.height, box.x, y0, box.x + box.w, y0 + box.h, GL_COLOR_BUFFER_BIT,
                      exact ? GL_NEAREST : GL_LINEAR);
}

void WindowToGame(int wx, int wy, int& gx, int& gy)
{
    gx = wx;
    gy = wy;
    const TDisplay* display = CurrentDisplay();
    if (!display)
        return;
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(display->window, &ww, &wh);
    SDL_GL_GetDrawableSize(display->window, &dw, &dh);
    if (ww <= 0 || wh <= 0 || dw <= 0 || dh <= 0)
        return;
    // Window points to drawable pixels (HiDPI), then out of the letterbox into game pixels.
    const SDL_Rect box = Letterbox(*display);
    const double px = wx * double(dw) / ww;
    const double py = wy * double(dh) / wh;
    gx = static_cast<int>(std::floor((px - box.x) * display->width / box.w));
    gy = static_cast<int>(std::floor((py - box.y) * display->height / box.h));
}
