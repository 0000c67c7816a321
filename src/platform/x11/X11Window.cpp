// X11Window - the X side of WindowSystem.h for the window itself: its destruction from outside, and
// waiting for its events.
//
// A window destroyed from outside (by a script, a tool or a window manager) makes every
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
#include "platform/window/WindowSystem.h"

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

bool WindowSystemEventsAwaitable() { return connection && eventsQueued && watchedWindow != 0; }

bool AwaitWindowSystemEvents(int timeoutMs)
{
    // A window lost is a close request for the pump to find, and queued events are there already.
    if (!WindowSystemEventsAwaitable() || lostWindow != 0 || eventsQueued(connection, QueuedAfterFlush) != 0)
        return true;
    pollfd readable{ConnectionNumber(connection), POLLIN, 0};
    return poll(&readable, 1, timeoutMs < 0 ? 0 : timeoutMs) != 0;
}
