// Platform start-up: SDL's event and timer subsystems; video opens with the display, audio on its own.
#include "platform/Platform.h"

#include <SDL.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstdint>
#include <string>

#include "platform/Preload.h"

namespace {

// A session bus is announced by its address, or by the socket a user's session manager puts in the
// runtime folder, which libdbus looks for next.
bool SessionBusAnnounced()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat bus {};
    return runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &bus) == 0 && S_ISSOCK(bus.st_mode);
}

#if defined(M_TOP_PAD) && defined(MADV_POPULATE_WRITE)
#define START_HEAP 1
// The room start-up keeps on top of the heap, and where it lies once taken.
constexpr int START_HEAP_PAD = 24 << 20;
constexpr int USUAL_TOP_PAD = 128 << 10;   // glibc's own
uintptr_t startHeapFrom = 0, startHeapTo = 0;
bool startHeapHeld = false;

// Has the heap take its start-up room now, in one growth, and notes where it lies.
void TakeStartHeap()
{
    mallopt(M_TOP_PAD, START_HEAP_PAD);
    startHeapHeld = true;
    char* const before = static_cast<char*>(sbrk(0));
    // Blocks under the mmap threshold come from the heap's top, which grows, padded, once they no longer
    // fit; freed, they go back to that top, which the pad keeps.
    void* blocks[64];
    int count = 0;
    while (count < 64 && static_cast<char*>(sbrk(0)) == before)
        blocks[count++] = std::malloc(96 << 10);
    for (int i = 0; i < count; ++i)
        std::free(blocks[i]);
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t after = uintptr_t(sbrk(0));
    if (after > uintptr_t(before)) {
        startHeapFrom = uintptr_t(before) / page * page;
        startHeapTo = after;
    }
}
#endif

}  // namespace

void PreloadStartHeap()
{
#ifdef START_HEAP
    if (startHeapTo <= startHeapFrom)
        return;
    const uintptr_t from = startHeapFrom, to = startHeapTo;
    startHeapFrom = startHeapTo = 0;
    QueuePreload("start heap", [from, to]() -> TPreloaded {
        // The pages of the room, made present and writable as a write would make them, without writing
        // to them: a block the main thread took meanwhile keeps what it wrote. Where the kernel does not
        // know the request, the pages come at first touch, as usual.
        madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
        return nullptr;
    });
#endif
}

void ReleaseStartHeap()
{
#ifdef START_HEAP
    if (!startHeapHeld)
        return;
    startHeapHeld = false;
    mallopt(M_TOP_PAD, USUAL_TOP_PAD);
    // A block freed onto the top of the heap trims it by the usual rule, which gives the room left back
    // now; until then large blocks would be cut from it rather than mapped on their own, and stay.
    void* volatile block = std::malloc(96 << 10);
    std::free(block);
#endif
}

void InitPlatform()
{
    if (SDL_WasInit(SDL_INIT_EVENTS)) return;
    // SDL's first subsystem connects to the session bus (screensaver inhibition, input methods). Where no
    // session has one, libdbus forks dbus-launch to start a bus for the X display and waits for it:
    // 5 to 50 ms of start-up for a bus on which nothing the game could use runs. An address of a kind
    // libdbus does not know makes that connection fail at once instead.
    if (!SessionBusAnnounced())
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    // The game names itself to the audio server and the window manager.
    SDL_SetHint(SDL_HINT_APP_NAME, "Calcadia");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Calcadia");
    // Ctrl+C in a terminal should end the program, not become a close request the game may ignore.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Large buffers (decoded music, file contents, pictures) come and go with the screens. By default
    // glibc raises its mmap threshold to the size of each large block freed, after which blocks of that
    // size live in the heap and their pages stay with the process; fixing the threshold at its usual
    // 128 KiB gives them back when freed: 6 to 8 MiB less at the peak of a whole run.
    // Fixing it also fixes the heap's trim threshold at 128 KiB, which gives back the top of the heap
    // at nearly every free: the GL driver's shader compiler and SDL's window set-up allocate and free
    // many small blocks, and each trim made them fault in fresh zeroed pages again, a few milliseconds
    // of start-up. Two megabytes of free heap kept on top costs little and spares that.
#ifdef M_MMAP_THRESHOLD   // glibc's; the browser's allocator has no such threshold
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 2 * 1024 * 1024);
#endif
    // Until the first frame is on the screen, the heap keeps 24 MiB of room on top, which a thread
    // beside start-up makes present (PreloadStartHeap) while the window is made. The driver's shader
    // compiler, which builds its tables of built-in functions in the first compile, and the rasteriser's
    // first draws take some 20 MiB of fresh heap on the main thread, and each of its 5000 pages cost a
    // fault and its zeroing there: 3 to 5 ms of the first compile alone.
#ifdef START_HEAP
    TakeStartHeap();
#endif
    SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER);
}
