// The global allocator of the counts tests: every operator new is counted, per thread, while counting
// is switched on, and threads whose name starts with "SDLAudio" (SDL's audio callback thread) are
// counted apart.
#include "counts/CountingAllocator.h"

#include <sys/prctl.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> audioThreadAllocations{0};
thread_local long threadAllocations = 0;

bool OnAudioThread()
{
    char name[16] = {};
    prctl(PR_GET_NAME, name, 0, 0, 0);
    return std::strncmp(name, "SDLAudio", 8) == 0;
}

void* Allocate(std::size_t size, std::size_t alignment)
{
    if (counting.load(std::memory_order_relaxed)) {
        ++threadAllocations;
        if (OnAudioThread())
            audioThreadAllocations.fetch_add(1);
    }
    if (size == 0)
        size = 1;
    void* p = alignment > alignof(std::max_align_t) ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                                                    : std::malloc(size);
    if (!p)
        throw std::bad_alloc();
    return p;
}

}  // namespace

void StartCountingAllocations()
{
    threadAllocations = 0;
    audioThreadAllocations = 0;
    counting = true;
}

TAllocationCounts StopCountingAllocations()
{
    counting = false;
    return {threadAllocations, audioThreadAllocations.load()};
}

void* operator new(std::size_t size) { return Allocate(size, 0); }
void* operator new[](std::size_t size) { return Allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) { return Allocate(size, std::size_t(a)); }
void* operator new[](std::size_t size, std::align_val_t a) { return Allocate(size, std::size_t(a)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
