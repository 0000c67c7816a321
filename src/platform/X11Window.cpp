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
//
// A PICTURE BEFORE THE FIRST FRAME
// The window's first frame can be put on the window as plain pixels from the CPU while the GL driver is
// still building the code to draw it (Display): one image of the window's size, in the window's own
// 8-bit-per-colour true-colour format, or nothing at all when the window has another format or size.
#ifndef __EMSCRIPTEN__
#include "platform/X11Window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <dlfcn.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Preload.h"

namespace {

using TErrorHandler = int (*)(Display*, XErrorEvent*);
using TSetErrorHandler = TErrorHandler (*)(TErrorHandler);
using TEventsQueued = int (*)(Display*, int);
using TGetWindowAttributes = Status (*)(Display*, Window, XWindowAttributes*);
using TInitImage = Status (*)(XImage*);
using TCreateGC = GC (*)(Display*, Drawable, unsigned long, XGCValues*);
using TPutImage = int (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned);
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

// While set, any error is one the caller is waiting to hear of, not the program's end.
std::atomic<bool> trapping{false};
std::atomic<bool> trapped{false};

int OnXError(Display* display, XErrorEvent* error)
{
    if (trapping) {
        trapped = true;
        return 0;
    }
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

bool NothingArrivedFromX()
{
    return XEventsAwaitable() && lostWindow == 0 && eventsQueued(connection, QueuedAfterFlush) == 0;
}

namespace {

using TSync = int (*)(Display*, Bool);
using TDisplayString = char* (*)(Display*);
using TShmQuery = Bool (*)(Display*);
using TShmAttach = Bool (*)(Display*, XShmSegmentInfo*);
using TShmDetach = Bool (*)(Display*, XShmSegmentInfo*);
using TShmPutImage = Bool (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned, Bool);

// Memory that can be shared with the X server: marked for removal as soon as it is mapped, so it is
// gone once this process and the server have let go of it, however the program ends (Linux lets a
// segment so marked be attached still).
struct TSegment {
    int id = -1;
    char* address = nullptr;
    size_t bytes = 0;

    explicit TSegment(size_t size)
    {
        id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
        if (id < 0)
            return;
        void* mapped = shmat(id, nullptr, 0);
        shmctl(id, IPC_RMID, nullptr);
        if (mapped == reinterpret_cast<void*>(-1))
            return;
        address = static_cast<char*>(mapped);
        bytes = size;
    }
    ~TSegment()
    {
        if (address)
            shmdt(address);
    }
    TSegment(const TSegment&) = delete;
    TSegment& operator=(const TSegment&) = delete;
};

// A segment made and faulted in beside start-up, for the first picture.
std::atomic<TSegment*> prepared{nullptr};

// The picture waiting to go on the window: in memory shared with the X server where it can be, so
// its 3 MB never travel through the connection; in memory of its own otherwise.
struct TWindowPicture {
    XImage image{};
    XShmSegmentInfo shared{};
    std::unique_ptr<TSegment> segment;   // while the server has it attached
    std::vector<uint32_t> own;
} picture;

template <typename T>
T Find(void* library, const char* name)
{
    return library ? reinterpret_cast<T>(dlsym(library, name)) : nullptr;
}

// Shares the picture's memory with the X server: only with a server on this machine (a distant one
// would attach a segment of its own machine), and only once the server has said it attached it.
bool SharePicture(size_t bytes)
{
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    void* xext = dlopen("libXext.so.6", RTLD_LAZY | RTLD_NOLOAD);
    auto sync = Find<TSync>(x11, "XSync");
    auto displayString = Find<TDisplayString>(x11, "XDisplayString");
    auto query = Find<TShmQuery>(xext, "XShmQueryExtension");
    auto attach = Find<TShmAttach>(xext, "XShmAttach");
    if (x11)
        dlclose(x11);
    if (xext)
        dlclose(xext);
    const char* name = displayString ? displayString(connection) : nullptr;
    if (!sync || !query || !attach || !name || !installed || (name[0] != ':' && std::strncmp(name, "unix:", 5) != 0) ||
        !query(connection))
        return false;
    std::unique_ptr<TSegment> segment(prepared.exchange(nullptr));
    if (!segment || segment->bytes != bytes)
        segment = std::make_unique<TSegment>(bytes);
    if (!segment->address)
        return false;
    XShmSegmentInfo& shared = picture.shared;
    shared.shmid = segment->id;
    shared.shmaddr = segment->address;
    shared.readOnly = True;
    sync(connection, False);
    trapped = false;
    trapping = true;
    const bool attached = attach(connection, &shared) && (sync(connection, False), !trapped);
    trapping = false;
    if (attached)
        picture.segment = std::move(segment);
    return attached;
}

void ReleasePicture()
{
    if (picture.segment) {
        // The server may still be reading it: it lets go in turn, and the segment goes with the last.
        void* xext = dlopen("libXext.so.6", RTLD_LAZY | RTLD_NOLOAD);
        auto detach = Find<TShmDetach>(xext, "XShmDetach");
        if (xext)
            dlclose(xext);
        if (detach && connection)
            detach(connection, &picture.shared);
        picture.segment.reset();
    }
    picture.shared = XShmSegmentInfo{};
    picture.image = XImage{};
    std::vector<uint32_t>().swap(picture.own);
}

}  // namespace

void PreloadWindowPicture(int width, int height)
{
    // Only where the window will be on an X server: SDL tries the drivers named in turn, X first or
    // none named.
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (width <= 0 || height <= 0 || !std::getenv("DISPLAY") ||
        (driver && std::strncmp(driver, "x11", 3) != 0) || (driver && driver[3] != '\0' && driver[3] != ','))
        return;
    const size_t bytes = size_t(width) * height * 4;
    QueuePreload("window picture", [bytes]() -> TPreloaded {
        auto segment = std::make_unique<TSegment>(bytes);
        // Its pages made present and writable now, on this thread, rather than one fault at a time
        // as the first frame is painted into them.
        if (segment->address)
            madvise(segment->address, bytes, MADV_POPULATE_WRITE);
        delete prepared.exchange(segment->address ? segment.release() : nullptr);
        return nullptr;
    });
}

uint32_t* WindowPictureBuffer(int width, int height)
{
    ReleasePicture();
    const Window window = watchedWindow;
    if (!connection || window == 0 || lostWindow != 0 || width <= 0 || height <= 0)
        return nullptr;
    void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    auto getAttributes = Find<TGetWindowAttributes>(library, "XGetWindowAttributes");
    auto initImage = Find<TInitImage>(library, "XInitImage");
    if (library)
        dlclose(library);
    XWindowAttributes attributes{};
    if (!getAttributes || !initImage || !getAttributes(connection, window, &attributes) ||
        attributes.width != width || attributes.height != height || (attributes.depth != 24 && attributes.depth != 32) ||
        !attributes.visual || attributes.visual->red_mask != 0xFF0000 || attributes.visual->green_mask != 0xFF00 ||
        attributes.visual->blue_mask != 0xFF)
        return nullptr;
    // The texels are 0xAARRGGBB words in this machine's byte order: the window's pixels, alpha aside.
    XImage& image = picture.image;
    image = XImage{};
    image.width = width;
    image.height = height;
    image.format = ZPixmap;
    image.byte_order = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? LSBFirst : MSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = image.byte_order;
    image.bitmap_pad = 32;
    image.depth = attributes.depth;
    image.bytes_per_line = width * 4;
    image.bits_per_pixel = 32;
    image.red_mask = 0xFF0000;
    image.green_mask = 0xFF00;
    image.blue_mask = 0xFF;
    if (!initImage(&image))
        return nullptr;
    const size_t bytes = size_t(width) * height * 4;
    if (SharePicture(bytes)) {
        image.data = picture.shared.shmaddr;
        image.obdata = reinterpret_cast<char*>(&picture.shared);
    } else {
        picture.own.resize(bytes / 4);
        image.data = reinterpret_cast<char*>(picture.own.data());
    }
    return reinterpret_cast<uint32_t*>(image.data);
}

bool ShowWindowPicture()
{
    const Window window = watchedWindow;
    if (!picture.image.data || !connection || window == 0 || lostWindow != 0)
        return false;
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    void* xext = dlopen("libXext.so.6", RTLD_LAZY | RTLD_NOLOAD);
    auto createGc = Find<TCreateGC>(x11, "XCreateGC");
    auto putImage = Find<TPutImage>(x11, "XPutImage");
    auto freeGc = Find<TFreeGC>(x11, "XFreeGC");
    auto flush = Find<TFlush>(x11, "XFlush");
    auto sharedPut = Find<TShmPutImage>(xext, "XShmPutImage");
    if (x11)
        dlclose(x11);
    if (xext)
        dlclose(xext);
    GC gc = createGc && freeGc && flush ? createGc(connection, window, 0, nullptr) : nullptr;
    if (!gc || (picture.segment ? !sharedPut : !putImage))
        return false;
    const unsigned width = unsigned(picture.image.width), height = unsigned(picture.image.height);
    if (picture.segment)
        sharedPut(connection, window, gc, &picture.image, 0, 0, 0, 0, width, height, False);
    else
        putImage(connection, window, gc, &picture.image, 0, 0, 0, 0, width, height);
    freeGc(connection, gc);
    flush(connection);
    return true;
}


void ReleaseWindowPicture()
{
    ReleasePicture();
    // A segment prepared for a window that never took it.
    delete prepared.exchange(nullptr);
}

bool AwaitXEvents(int timeoutMs)
{
    if (!NothingArrivedFromX())
        return true;
    pollfd readable{ConnectionNumber(connection), POLLIN, 0};
    return poll(&readable, 1, timeoutMs < 0 ? 0 : timeoutMs) != 0;
}
#endif
