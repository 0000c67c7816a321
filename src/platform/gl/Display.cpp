// Display - the SDL window and its GL context, and presenting frames into it.
//
// The game draws into a picture of exactly the opened size (1024 x 768 for the game). When the window's
// drawable has another size (a full-screen desktop mode, a HiDPI or resized window), the picture is an
// off-screen one and FlipDisplay scales it into the drawable with its aspect kept and black bars around
// it, so what the game draws never changes and ReadBackBuffer always reads game pixels. When the
// drawable is exactly the picture's size, as in the usual window, the window's own back buffer is the
// picture: a software rasteriser then saves a whole-window copy per frame (1.3 ms of a 1.7 ms empty
// frame here). The picture lasts from frame to frame in the off-screen buffer; the back buffer keeps it
// only where the driver says a swap preserves it (GLX_EXT_buffer_age), or where frames are presented
// without swapping at all.
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
//
// THE FIRST FRAME
// A software rasteriser builds code for each new way of drawing the first time it draws that way, and
// for a display's first frame that is most of the time from its recording to its pixels (5 to 6 ms of
// code for the title's one draw call, then 7 to 11 ms of drawing and presenting). Meanwhile the frame
// is already known quad by quad, and its textures' texels are still at hand (the atlas keeps them until
// then). So on X, where the window's pixels can be set directly, the first frame is painted on the CPU
// (SoftPicture) and put on the window at once; GL then draws and presents the same frame over it as
// usual, within a step of rounding of the same pixels.
#include "platform/Display.h"
#include "platform/gl/GLTesting.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gfx/Atlas.h"
#include "platform/gl/Backend.h"
#include "platform/gfx/DrawBatch.h"
#include "platform/gfx/FrameSkip.h"
#include "platform/gl/GL.h"
#include "platform/gfx/ImageDecode.h"
#include "platform/loop/FrameLoop.h"
#include "platform/x11/X11Window.h"

using namespace gl;

struct TDisplay {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    int width = 0;
    int height = 0;
    unsigned framebuffer = 0;
    unsigned picture = 0;
    int swapInterval = -1;
    bool swapWaits = false;                        // the driver took a swap interval of 1
    int presentedWidth = 0, presentedHeight = 0;   // the drawable the last presented frame filled
    bool direct = false;                           // the window's back buffer is the picture
    bool backKept = false;                         // the back buffer outlives a swap (no window at all)
    bool warmUpDue = false;                        // PrepareDrawing waits for the first presented frame
    bool presentsByCopy = false;                   // frames reach the window by copying boxes, never swapped
    bool iconDue = false;                          // the icon waits for the window's first frame
};

namespace {

std::string appTitle;
TPicture appIcon;
TDisplay* display = nullptr;
uint64_t generationCounter = 0;
uint64_t pictureCopies = 0;
uint64_t currentGeneration = 0;
std::string openFailure;
// The first frames painted on the CPU, kept for tests that compare them with what GL drew.
bool keepFirstPictures = false;
std::vector<uint32_t> firstPicture;

void DestroyDisplay(TDisplay* d)
{
    if (!d)
        return;
    if (d->context) {
        SDL_GL_MakeCurrent(d->window, d->context);
        // Pages first: pending quads that sample them die with the display anyway.
        gfx::CloseAtlas();
        gfx::CloseBatch();
        if (d->framebuffer)
            glDeleteFramebuffers(1, &d->framebuffer);
        if (d->picture)
            glDeleteTextures(1, &d->picture);
        SDL_GL_DeleteContext(d->context);
    }
    if (d->window)
        SDL_DestroyWindow(d->window);
    delete d;
}

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

// After a present: the icon, when it waits for one.
void GiveIconOnce(TDisplay& d)
{
    if (!d.iconDue)
        return;
    d.iconDue = false;
    ApplyIcon(d.window);
}

unsigned PictureFramebuffer(const TDisplay& d) { return d.direct ? 0u : d.framebuffer; }

// Makes the off-screen picture and its framebuffer, the first time the picture cannot be the window's
// back buffer: a window of exactly the game's size never needs them, and the software rasteriser
// clears the 3 MiB of a texture as it makes it, before the first frame. False when the driver
// refuses them. The framebuffer bound before stays bound.
bool MakeOffscreenPicture(TDisplay& d)
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

// Makes the window's back buffer the picture when the drawable is exactly the picture's size, the
// off-screen buffer otherwise, carrying what the picture holds across.
void ChoosePicture(TDisplay& d, int drawableWidth, int drawableHeight)
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

// Clears the window's back buffer and scales the off-screen picture into its letterbox. The window's y
// runs upwards in GL, like the picture's, so the copy needs no flip.
void CopyPictureIntoWindow(const TDisplay& d)
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

bool OnX11()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "x11") == 0;
}

// What the X server's GL offers beyond the core for presenting: GLX_EXT_buffer_age, the window system's
// answer to how many frames old the back buffer is once swapped (1 when it still holds the last frame, 0
// when the driver cannot tell), and GLX_MESA_copy_sub_buffer, a copy of a rectangle of the back buffer
// to the window. Null where not offered.
struct TGlx {
    using CurrentDisplay = void* (*)();
    using CurrentDrawable = unsigned long (*)();
    using QueryDrawable = void (*)(void*, unsigned long, int, unsigned*);
    using QueryExtensions = const char* (*)(void*, int);
    using CopySubBuffer = void (*)(void*, unsigned long, int, int, int, int);
    CurrentDisplay currentDisplay = nullptr;
    CurrentDrawable currentDrawable = nullptr;
    QueryDrawable queryDrawable = nullptr;
    CopySubBuffer copySubBuffer = nullptr;
} glx;

constexpr int GLX_BACK_BUFFER_AGE = 0x20F4;

void LoadGlxExtensions()
{
    glx = {};
    if (!OnX11())
        return;
    auto current = reinterpret_cast<TGlx::CurrentDisplay>(SDL_GL_GetProcAddress("glXGetCurrentDisplay"));
    auto extensions = reinterpret_cast<TGlx::QueryExtensions>(SDL_GL_GetProcAddress("glXQueryExtensionsString"));
    auto drawable = reinterpret_cast<TGlx::CurrentDrawable>(SDL_GL_GetProcAddress("glXGetCurrentDrawable"));
    if (!current || !extensions || !drawable || !current())
        return;
    const char* list = extensions(current(), 0);
    if (!list)
        return;
    glx.currentDisplay = current;
    glx.currentDrawable = drawable;
    if (std::strstr(list, "GLX_EXT_buffer_age"))
        glx.queryDrawable = reinterpret_cast<TGlx::QueryDrawable>(SDL_GL_GetProcAddress("glXQueryDrawable"));
    if (std::strstr(list, "GLX_MESA_copy_sub_buffer"))
        glx.copySubBuffer = reinterpret_cast<TGlx::CopySubBuffer>(SDL_GL_GetProcAddress("glXCopySubBufferMESA"));
}

// Brings the window up to date with boxes of the back buffer (game coordinates, y downwards): one copy
// of the box around them all, since each copy waits for the X server's answer (a round trip costs more
// of this process's time than the server's copying of the pixels between the boxes).
void CopyBoxesToWindow(const TDisplay& d, const gfx::TBoxes& boxes)
{
    if (boxes.count == 0)
        return;
    gfx::TBox all = boxes.box[0];
    for (int b = 1; b < boxes.count; ++b)
        all = gfx::Union(all, boxes.box[b]);
    glx.copySubBuffer(glx.currentDisplay(), glx.currentDrawable(), all.left, d.height - all.bottom,
                      all.right - all.left, all.bottom - all.top);
}

// Whether the picture still holds the last frame drawn into it, so a frame may draw only what changed.
// The off-screen picture is the game's own; the window's back buffer only where the driver keeps it.
bool PictureKept(const TDisplay& d)
{
    if (!d.direct || d.backKept || d.presentsByCopy)
        return true;
    if (!glx.queryDrawable)
        return false;
    unsigned age = 0;
    glx.queryDrawable(glx.currentDisplay(), glx.currentDrawable(), GLX_BACK_BUFFER_AGE, &age);
    return age == 1;
}

// Puts the display's first frame on the window before GL has drawn it (THE FIRST FRAME above).
void ShowFirstFrameEarly(const TDisplay& d)
{
    // The window's pixels as SDL found its visual: 0xRRGGBB words, with or without alpha above.
    const Uint32 format = SDL_GetWindowPixelFormat(d.window);
    const int depth = format == SDL_PIXELFORMAT_RGB888 ? 24 : format == SDL_PIXELFORMAT_ARGB8888 ? 32 : 0;
    const bool x11 = OnX11() && depth != 0;
    if (!d.direct || (!x11 && !keepFirstPictures))
        return;
    firstPicture.resize(size_t(d.width) * d.height);
    uint32_t background = 0;
    std::vector<gfx::TBox> boxes;
    if (!gfx::PaintPendingFrame(firstPicture.data(), d.width, d.height, background, boxes)) {
        firstPicture.clear();
    } else if (x11) {
        std::vector<TWindowBox> windowBoxes;
        for (const gfx::TBox& box : boxes)
            windowBoxes.push_back({box.left, box.top, box.right, box.bottom});
        ShowPictureOnWindow(firstPicture.data(), d.width, d.height, depth, background, windowBoxes.data(),
                            int(windowBoxes.size()));
    }
    if (!keepFirstPictures) {
        std::vector<uint32_t>().swap(firstPicture);
    } else if (!firstPicture.empty()) {
        // Kept as the window gets it: the background, and the boxes' pixels on it.
        std::vector<uint32_t> shown(firstPicture.size(), background);
        for (const gfx::TBox& box : boxes) {
            for (int y = std::max(box.top, 0); y < std::min(box.bottom, d.height); ++y) {
                const size_t row = size_t(y) * d.width;
                std::copy(firstPicture.begin() + ptrdiff_t(row + std::max(box.left, 0)),
                          firstPicture.begin() + ptrdiff_t(row + std::min(box.right, d.width)),
                          shown.begin() + ptrdiff_t(row + std::max(box.left, 0)));
            }
        }
        firstPicture.swap(shown);
    }
}

bool VideoReady()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

}  // namespace

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
        display->iconDue = true;
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
    // The pages made for its first frame keep their texels until that frame is on the screen.
    gfx::KeepPageTexels(true);
    d->width = width;
    d->height = height;
    // The desktop's own full-screen mode, never a change of the monitor's mode; when it cannot be had,
    // a window is better than no display at all.
    d->window = MakeWindow(width, height, depth != 0);
    if (!d->window && depth != 0)
        d->window = MakeWindow(width, height, false);
    // Given once the window shows its first frame: a window manager has no use for it before, and the
    // X server would be copying its quarter of a megabyte while the first frame is on its way.
    d->iconDue = true;
    WatchForDestroyFromOutside(d->window);
    if (d->window)
        d->context = SDL_GL_CreateContext(d->window);
    else
        openFailure = std::string("the display refuses a window (") + SDL_GetError() + ")";
    if (!d->context || SDL_GL_MakeCurrent(d->window, d->context) != 0 || !gl::LoadFunctions()) {
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
    // The offscreen driver draws into a surface that a swap never replaces.
    const char* driver = SDL_GetCurrentVideoDriver();
    d->backKept = driver && std::strcmp(driver, "offscreen") == 0;
    LoadGlxExtensions();
    // Where a swap is known to keep the back buffer, swapping stays the way to present (and to wait for
    // the blank); copying boxes is for drivers that cannot tell.
    d->presentsByCopy = !d->backKept && !glx.queryDrawable && glx.copySubBuffer;
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

void FlipDisplay(int sync)
{
    if (!display)
        return;
    gfx::EndFrameCount();
    // A drawable of another size (a resize whose event has not been read yet) needs the picture again.
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(display->window, &dw, &dh);
    if (dw != display->presentedWidth || dh != display->presentedHeight)
        gfx::InvalidatePresented();
    ChoosePicture(*display, dw, dh);
    const bool first = display->presentedWidth == 0;
    if (first)
        ShowFirstFrameEarly(*display);
    // The same picture as the window already shows: no GL work and no swap at all, but the next frame
    // waits for the display's refresh as it would after a swap.
    gfx::TBoxes drawn;
    if (!gfx::EndFrame(PictureKept(*display), drawn)) {
        if (sync)
            loop::FramePresented(false, SyncedRefreshRate(*display));
        return;
    }
    display->presentedWidth = dw;
    display->presentedHeight = dh;
    if (first)
        gfx::KeepPageTexels(false);
    const int interval = sync ? 1 : 0;
    if (interval != display->swapInterval) {
        // Refused by some drivers; the frame timer still paces.
        display->swapWaits = SDL_GL_SetSwapInterval(interval) == 0 && interval == 1;
        display->swapInterval = interval;
    }
    if (display->direct && display->presentsByCopy) {
        CopyBoxesToWindow(*display, drawn);
        GiveIconOnce(*display);
        if (sync)
            loop::FramePresented(false, SyncedRefreshRate(*display));
        return;
    }
    if (!display->direct) {
        CopyPictureIntoWindow(*display);
        ++pictureCopies;
    }
    SDL_GL_SwapWindow(display->window);
    GiveIconOnce(*display);
    glBindFramebuffer(GL_FRAMEBUFFER, PictureFramebuffer(*display));
    if (sync)
        loop::FramePresented(true, SyncedRefreshRate(*display));
}

void InvalidatePresentedFrame() { gfx::InvalidatePresented(); }

void PrepareDrawing()
{
    if (display)
        display->warmUpDue = true;
}

void FinishPreparingDrawing()
{
    // The first frame has compiled what it drew (and, off the window's own size, the copy into the
    // window) on its way to the screen; what it did not draw is prepared now, between frames.
    if (!display || !display->warmUpDue || display->presentedWidth == 0)
        return;
    display->warmUpDue = false;
    gfx::WarmUp();
}

int CountDisplayModes()
{
    if (!VideoReady())
        return 0;
    return std::max(0, SDL_GetNumDisplayModes(0));
}

TDisplayMode GetDisplayMode(int index)
{
    SDL_DisplayMode mode{};
    if (!VideoReady() || index < 0 || SDL_GetDisplayMode(0, index, &mode) != 0)
        return {};
    // The bits a pixel takes, padding included: the usual 8-bit-per-colour modes store 24 bits of colour
    // in 32, and are the 32-bit modes a player knows.
    return {mode.w, mode.h, int(SDL_BYTESPERPIXEL(mode.format)) * 8, mode.refresh_rate};
}

uint64_t PictureCopyCount() { return pictureCopies; }

void KeepFirstPictures(bool keep)
{
    keepFirstPictures = keep;
    if (!keep)
        std::vector<uint32_t>().swap(firstPicture);
}

const std::vector<uint32_t>& FirstPicture() { return firstPicture; }

void WindowToGame(int wx, int wy, int& gx, int& gy)
{
    gx = wx;
    gy = wy;
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

unsigned DisplayWindowId() { return display ? SDL_GetWindowID(display->window) : 0u; }
