// X11Window - a window destroyed from outside (by a script, a tool or a window manager) makes every
// later request about it fail with BadWindow or BadDrawable, and the X library's default answer to an
// error is to print the raw request and exit 1. Errors about our own window are caught here instead
// and turned into a close request: the window is gone, so the game ends as it does when the window is
// closed. Every other error goes on to the handler that was there before (SDL's, then the library's).
//
// The library is the one SDL loaded itself; when SDL runs on another window system it is not loaded,
// and nothing here does anything.
//
// READING AND WAITING FOR EVENTS
// The window system's event pump costs a frame more than its one read of the connection (locks, window
// bookkeeping, a flush), and a still screen sleeps on the connection rather than waking for every tick.
// Both ask the X library alone first, with the same flush and read the pump does (XEventsQueued after
// flushing moves whatever the connection holds into the library's queue and counts it), so an event is
// never left where the pump would not look, nor slept on once the library has read it while waiting for
// some reply.
#include "platform/x11/X11Window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <ctime>

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

// The connection as it was when a look found nothing on it. Events leave the socket for the library's
// queues only when the library reads it: for a reply (a request went out since, or one was answered)
// or for events (the pump, or this file's own look). So while the counts are unchanged, the queue is
// empty and nothing else has pumped, a socket with nothing to read means nothing has arrived.
struct TQuietMark {
    bool known = false;
    unsigned long nextRequest = 0, lastReplied = 0;
} quiet;

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

namespace {
bool XStillQuiet()
{
    return quiet.known && lostWindow == 0 && QLength(connection) == 0 &&
           NextRequest(connection) == quiet.nextRequest && LastKnownRequestProcessed(connection) == quiet.lastReplied;
}
}  // namespace

bool XEventsAwaitable() { return connection && eventsQueued && watchedWindow != 0; }

bool NothingArrivedFromX()
{
    quiet.known = XEventsAwaitable() && lostWindow == 0 && eventsQueued(connection, QueuedAfterFlush) == 0;
    if (quiet.known) {
        quiet.nextRequest = NextRequest(connection);
        quiet.lastReplied = LastKnownRequestProcessed(connection);
    }
    return quiet.known;
}

void XConnectionUsed() { quiet.known = false; }

bool SleepWhileXQuiet(std::chrono::steady_clock::time_point until)
{
    if (!XStillQuiet() && !NothingArrivedFromX())
        return false;
    // Past the deadline already, the socket is still looked at: bytes may have come during the frame.
    const auto left = std::max(std::chrono::nanoseconds(0), std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                               until - std::chrono::steady_clock::now()));
    const timespec timeout{time_t(left.count() / 1000000000), long(left.count() % 1000000000)};
    pollfd readable{ConnectionNumber(connection), POLLIN, 0};
    // Interrupted, or bytes on their way: either way not a quiet wait.
    return ppoll(&readable, 1, &timeout, nullptr) == 0;
}

bool AwaitXEvents(int timeoutMs)
{
    if (!XStillQuiet() && !NothingArrivedFromX())
        return true;
    pollfd readable{ConnectionNumber(connection), POLLIN, 0};
    return poll(&readable, 1, timeoutMs < 0 ? 0 : timeoutMs) != 0;
}
