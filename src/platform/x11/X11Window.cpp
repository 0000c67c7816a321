// X11Window - a window destroyed from outside (by a script, a tool or a window manager) makes every
// later request about it fail with BadWindow or BadDrawable, and the X library's default answer to an
// error is to print the raw request and exit 1. Errors about our own window are caught here instead
// and turned into a close request: the window is gone, so the game ends as it does when the window is
// closed. Every other error goes on to the handler that was there before (SDL's, then the library's).
//
// The library is the one SDL loaded itself; when SDL runs on another window system it is not loaded,
// and nothing here does anything.
//
// WAITING FOR EVENTS
// A still screen sleeps on the connection rather than waking for every tick. It asks the X library
// first, with the same flush and read the event pump does (XEventsQueued after flushing moves whatever
// the connection holds into the library's queue and counts it), so an event the library has already
// read while waiting for some reply is never slept on.
//
// A PICTURE BEFORE THE FIRST FRAME
// The window's first frame can be put on the window as plain pixels from the CPU while the GL driver is
// still building the code to draw it (Display), in the window's own 8-bit-per-colour true-colour format,
// or nothing at all when the window has another format or size. Most of the title is its background,
// so the window is filled with that colour and only the boxes around what stands on it go as pixels:
// a tenth to a half of the 3 MB a whole picture takes through the connection.
#include "platform/x11/X11Window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <poll.h>

#include <algorithm>
#include <atomic>

namespace {

using TErrorHandler = int (*)(Display*, XErrorEvent*);
using TSetErrorHandler = TErrorHandler (*)(TErrorHandler);
using TEventsQueued = int (*)(Display*, int);
using TInitImage = Status (*)(XImage*);
using TCreateGC = GC (*)(Display*, Drawable, unsigned long, XGCValues*);
using TPutImage = int (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned);
using TFillRectangle = int (*)(Display*, Drawable, GC, int, int, unsigned, unsigned);
using TFreeGC = int (*)(Display*, GC);
using TFlush = int (*)(Display*);

TErrorHandler previousHandler = nullptr;
bool installed = false;
// Written by the error handler, which Xlib may call on whichever thread flushes the connection.
std::atomic<unsigned long> watchedWindow{0};
std::atomic<unsigned long> lostWindow{0};
std::atomic<bool> lossUnreported{false};

// The connection the window lives on, for as long as the program runs (SDL's video is never shut down).
Display* connection = nullptr;
TEventsQueued eventsQueued = nullptr;

int OnXError(Display* display, XErrorEvent* error)
{
    const unsigned long id = error->resourceid;
    if (id != 0 && (id == watchedWindow || id == lostWindow)) {
        if (lostWindow.exchange(id) != id)
            lossUnreported = true;
        return 0;
    }
    return previousHandler ? previousHandler(display, error) : 0;
}

}  // namespace

void WatchForDestroyFromOutside(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    watchedWindow = static_cast<unsigned long>(info.info.x11.window);
    if (installed)
        return;
    void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    auto setHandler = library ? reinterpret_cast<TSetErrorHandler>(dlsym(library, "XSetErrorHandler")) : nullptr;
    if (setHandler) {
        previousHandler = setHandler(OnXError);
        installed = true;
    }
    if (library && !eventsQueued)
        eventsQueued = reinterpret_cast<TEventsQueued>(dlsym(library, "XEventsQueued"));
    connection = info.info.x11.display;
    if (library)
        dlclose(library);   // only drops the count taken above; SDL keeps the library loaded
}

bool WindowDestroyedFromOutside()
{
    return lossUnreported.exchange(false);
}

bool XEventsAwaitable() { return connection && eventsQueued && watchedWindow != 0; }

bool ShowPictureOnWindow(const uint32_t* argb, int width, int height, int depth, uint32_t background,
                         const TWindowBox* boxes, int count)
{
    const Window window = watchedWindow;
    if (!connection || window == 0 || lostWindow != 0 || !argb || width <= 0 || height <= 0 ||
        (depth != 24 && depth != 32))
        return false;
    void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return false;
    auto find = [library](const char* name) { return dlsym(library, name); };
    auto initImage = reinterpret_cast<TInitImage>(find("XInitImage"));
    auto createGc = reinterpret_cast<TCreateGC>(find("XCreateGC"));
    auto fill = reinterpret_cast<TFillRectangle>(find("XFillRectangle"));
    auto putImage = reinterpret_cast<TPutImage>(find("XPutImage"));
    auto freeGc = reinterpret_cast<TFreeGC>(find("XFreeGC"));
    auto flush = reinterpret_cast<TFlush>(find("XFlush"));
    dlclose(library);
    if (!initImage || !createGc || !fill || !putImage || !freeGc || !flush)
        return false;
    // The texels are 0xAARRGGBB words in this machine's byte order: the window's pixels, alpha aside.
    XImage image{};
    image.width = width;
    image.height = height;
    image.format = ZPixmap;
    image.data = reinterpret_cast<char*>(const_cast<uint32_t*>(argb));
    image.byte_order = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? LSBFirst : MSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = image.byte_order;
    image.bitmap_pad = 32;
    image.depth = depth;
    image.bytes_per_line = width * 4;
    image.bits_per_pixel = 32;
    image.red_mask = 0xFF0000;
    image.green_mask = 0xFF00;
    image.blue_mask = 0xFF;
    if (!initImage(&image))
        return false;
    XGCValues values{};
    // A 24-bit visual's pixel has no alpha; a 32-bit one's is opaque, as the painted pixels are.
    values.foreground = depth == 32 ? background : background & 0xFFFFFF;
    GC gc = createGc(connection, window, GCForeground, &values);
    if (!gc)
        return false;
    // The server takes the requests in order, one after another, before anything else of this client.
    fill(connection, window, gc, 0, 0, unsigned(width), unsigned(height));
    for (int b = 0; b < count; ++b) {
        const TWindowBox& box = boxes[b];
        const int left = std::max(box.left, 0), top = std::max(box.top, 0);
        const int right = std::min(box.right, width), bottom = std::min(box.bottom, height);
        if (right > left && bottom > top)
            putImage(connection, window, gc, &image, left, top, left, top, unsigned(right - left),
                     unsigned(bottom - top));
    }
    freeGc(connection, gc);
    flush(connection);
    return true;
}

bool AwaitXEvents(int timeoutMs)
{
    // A window lost is a close request for the pump to find, and queued events are there already.
    if (!XEventsAwaitable() || lostWindow != 0 || eventsQueued(connection, QueuedAfterFlush) != 0)
        return true;
    pollfd readable{ConnectionNumber(connection), POLLIN, 0};
    return poll(&readable, 1, timeoutMs < 0 ? 0 : timeoutMs) != 0;
}
