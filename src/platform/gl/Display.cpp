// Display - the SDL window and its GL context: opened, named, given an icon and closed.
#include "platform/Display.h"

#include <SDL.h>

#include <algorithm>

#include "platform/gfx/Atlas.h"
#include "platform/gfx/DrawBatch.h"
#include "platform/gfx/ImageDecode.h"
#include "platform/gfx/Backend.h"
#include "platform/gl/DisplayState.h"
#include "platform/gl/GL.h"
#include "platform/loop/FrameLoop.h"
#include "platform/window/WindowSystem.h"

using namespace gl;

namespace {

std::string appTitle;
TPicture appIcon;
TDisplay* display = nullptr;
uint64_t generationCounter = 0;
uint64_t currentGeneration = 0;
std::string openFailure;

void DestroyDisplay(TDisplay* d)
{
    if (!d)
        return;
    if (d->context) {
        SDL_GL_MakeCurrent(d->window, static_cast<SDL_GLContext>(d->context));
        // Pages first: pending quads that sample them die with the display anyway.
        gfx::CloseAtlas();
        gfx::CloseBatch();
        if (d->framebuffer)
            glDeleteFramebuffers(1, &d->framebuffer);
        if (d->picture)
            glDeleteTextures(1, &d->picture);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(d->context));
    }
    if (d->window)
        SDL_DestroyWindow(d->window);
    delete d;
}

SDL_Window* MakeWindow(int width, int height, bool fullScreen)
{
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    SDL_Rect desktop{};
    if (fullScreen && SDL_GetDisplayBounds(0, &desktop) == 0) {
        // Made at the desktop's own size and place, so the picture fills the screen even where no
        // window manager carries out the full-screen request (a bare X server).
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
        x = desktop.x;
        y = desktop.y;
        width = desktop.w;
        height = desktop.h;
    } else if (fullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    return SDL_CreateWindow(appTitle.c_str(), x, y, width, height, flags);
}

void ApplyIcon(SDL_Window* window)
{
    if (!window || appIcon.argb.empty())
        return;
    // The pixels are 0xAARRGGBB words, which is what SDL calls ARGB8888; SDL copies them.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(appIcon.argb.data(), appIcon.width, appIcon.height,
                                                              32, appIcon.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

}  // namespace

bool gl::VideoReady()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

uint64_t gfx::DisplayGeneration() { return currentGeneration; }

bool gfx::backend::PictureSize(int& width, int& height)
{
    if (!display)
        return false;
    width = display->width;
    height = display->height;
    return true;
}

void SetAppTitle(const std::string& title)
{
    appTitle = title;
    if (display)
        SDL_SetWindowTitle(display->window, appTitle.c_str());
}

const std::string& GetAppTitle() { return appTitle; }

bool SetAppIcon(const std::string& path)
{
    TPicture picture;
    if (!DecodePicture(path, picture))
        return false;
    // Window managers show icons at 256 pixels at most, and the X server refuses a window property of
    // a few megabytes: a large picture would cost the window, not just the icon.
    ShrinkPicture(picture, 256);
    appIcon = std::move(picture);
    if (display)
        ApplyIcon(display->window);
    return true;
}

TDisplay* OpenGraphics(int width, int height, int depth, int refreshHz, int flags)
{
    CloseGraphics();
    ResetDrawState();
    openFailure = "no window of that size";
    if (width <= 0 || height <= 0)
        return nullptr;
    if (!VideoReady()) {
        openFailure = std::string("the display cannot be reached (") + SDL_GetError() + ")";
        return nullptr;
    }
    openFailure = std::string("the display offers no ") + gl::CONTEXT_NAME + " context";

    gl::AskForContext();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

    auto* d = new TDisplay;
    d->width = width;
    d->height = height;
    // The desktop's own full-screen mode, never a change of the monitor's mode; when it cannot be had,
    // a window is better than no display at all.
    d->window = MakeWindow(width, height, depth != 0);
    if (!d->window && depth != 0)
        d->window = MakeWindow(width, height, false);
    ApplyIcon(d->window);
    WatchForDestroyFromOutside(d->window);
    if (d->window)
        d->context = SDL_GL_CreateContext(d->window);
    else
        openFailure = std::string("the display refuses a window (") + SDL_GetError() + ")";
    if (!d->context || SDL_GL_MakeCurrent(d->window, static_cast<SDL_GLContext>(d->context)) != 0 || !gl::LoadFunctions()) {
        DestroyDisplay(d);
        return nullptr;
    }

    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(d->window, &dw, &dh);
    d->direct = dw == width && dh == height;
    if ((!d->direct && !MakeOffscreenPicture(*d)) || !gfx::OpenBatch(width, height)) {
        DestroyDisplay(d);
        return nullptr;
    }
    glViewport(0, 0, width, height);
    ChoosePresenting(*d);
    glBindFramebuffer(GL_FRAMEBUFFER, PictureFramebuffer(*d));
    display = d;
    currentGeneration = ++generationCounter;
    loop::ForgetRefresh();
    Cls();
    return display;
}

const std::string& OpenGraphicsFailure() { return openFailure; }

void CloseGraphics()
{
    if (!display)
        return;
    TDisplay* d = display;
    display = nullptr;
    currentGeneration = 0;
    DestroyDisplay(d);
}

TDisplay* CurrentDisplay() { return display; }

void Cls()
{
    if (!display)
        return;
    auto unit = [](int v) { return std::clamp(v, 0, 255) / 255.0f; };
    const TDrawState& s = GetDrawState();
    gfx::RecordClear(unit(s.clsR), unit(s.clsG), unit(s.clsB));
}

unsigned DisplayWindowId() { return display ? SDL_GetWindowID(display->window) : 0u; }
