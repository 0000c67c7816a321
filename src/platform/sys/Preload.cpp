// Preload - a queue of keyed reads carried out in turn on one SDL thread (the WAV reader is SDL's, and
// SDL's per-thread error text is freed only for its own threads), each waited for by the loader that
// takes it. One lock guards the queue and the results; a read itself runs outside it.
#include "platform/Preload.h"

#include <SDL.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace {

struct TRead {
    std::string key;
    std::function<TPreloaded()> read;
    bool done = false;
    TPreloaded result;
};

struct TPreload {
    std::mutex lock;
    std::condition_variable finished;   // a read is done
    std::deque<TRead> reads;            // queued, running and done, in order; taken ones are erased
    size_t next = 0;                    // the first read not yet started
    SDL_Thread* thread = nullptr;
};

TPreload& State()
{
    // Never destroyed: exit() joins the thread after static destructors may have begun.
    static TPreload& state = *new TPreload;
    return state;
}

// Runs the reads not yet started, in order, until there are none.
void RunQueued()
{
    TPreload& p = State();
    std::unique_lock<std::mutex> guard(p.lock);
    while (p.next < p.reads.size()) {
        std::function<TPreloaded()> read = std::move(p.reads[p.next].read);
        const std::string key = p.reads[p.next].key;
        ++p.next;
        guard.unlock();
        TPreloaded result = read();
        guard.lock();
        // Taken or dropped meanwhile, the read is found again by its key among the ones started.
        for (size_t i = 0; i < p.next; ++i)
            if (p.reads[i].key == key && !p.reads[i].done) {
                p.reads[i].result = std::move(result);
                p.reads[i].done = true;
                break;
            }
        p.finished.notify_all();
    }
}

int PreloadThread(void*)
{
    RunQueued();
    return 0;
}

void JoinThread()
{
    TPreload& p = State();
    if (p.thread)
        SDL_WaitThread(p.thread, nullptr);
    p.thread = nullptr;
}

}  // namespace

void QueuePreload(const std::string& key, std::function<TPreloaded()> read)
{
    TPreload& p = State();
    std::lock_guard<std::mutex> guard(p.lock);
    p.reads.push_back({key, std::move(read), false, nullptr});
}

void StartPreloading()
{
    TPreload& p = State();
    if (p.thread)
        return;
#ifndef __EMSCRIPTEN__
    p.thread = SDL_CreateThread(PreloadThread, "preload", nullptr);
#endif
    // No thread to be had (or none in this build): the reads run here, before anything takes them.
    if (!p.thread) {
        RunQueued();
        return;
    }
    static const bool joinedAtExit = std::atexit(JoinThread) == 0;
    (void)joinedAtExit;
}

TPreloaded TakePreloaded(const std::string& key)
{
    TPreload& p = State();
    std::unique_lock<std::mutex> guard(p.lock);
    for (size_t i = 0; i < p.reads.size(); ++i) {
        if (p.reads[i].key != key)
            continue;
        // Not started yet: the loader reads the file itself rather than wait behind the reads before it.
        if (i >= p.next) {
            p.reads.erase(p.reads.begin() + std::ptrdiff_t(i));
            return nullptr;
        }
        p.finished.wait(guard, [&] { return p.reads[i].done; });
        TPreloaded result = std::move(p.reads[i].result);
        p.reads.erase(p.reads.begin() + std::ptrdiff_t(i));
        --p.next;
        return result;
    }
    return nullptr;
}

void FinishPreloading()
{
    JoinThread();
    TPreload& p = State();
    std::lock_guard<std::mutex> guard(p.lock);
    p.reads.clear();
    p.next = 0;
}
