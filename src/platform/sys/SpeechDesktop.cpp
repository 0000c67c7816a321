// SpeechDesktop - the desktop's voice: the speech service (speech-dispatcher), which speaks with the
// voice and rate the player chose for the whole desktop, and which screen readers share.
//
// The library is loaded when the first words come, not linked: a machine without it still starts the
// game, and a game that never speaks never loads it. Opening the connection may start the service and
// wait for it, and every message is a round trip on a socket, so all of it runs on a thread of its own
// that takes the words from a queue; Speak only appends to the queue. When the library, the service or
// a voice is missing, the thread says nothing, drops the words, and the game plays on in silence.
#include "platform/sys/SpeechOutput.h"

#include <dlfcn.h>
#include <libspeechd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/Language.h"

namespace {

struct TSpeechService {
    decltype(&spd_open) open = nullptr;
    decltype(&spd_say) say = nullptr;
    decltype(&spd_set_language) setLanguage = nullptr;
    SPDConnection* connection = nullptr;

    // False when there is no library or no service: the words are then dropped.
    bool Connect(const std::string& language)
    {
        void* library = dlopen("libspeechd.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return false;
        open = reinterpret_cast<decltype(open)>(dlsym(library, "spd_open"));
        say = reinterpret_cast<decltype(say)>(dlsym(library, "spd_say"));
        setLanguage = reinterpret_cast<decltype(setLanguage)>(dlsym(library, "spd_set_language"));
        if (!open || !say || !setLanguage)
            return false;
        connection = open("calcadia", "main", nullptr, SPD_MODE_SINGLE);
        if (!connection)
            return false;
        // The catalogs' language (pt_BR) as the service names it (pt-BR); English for the written texts.
        std::string code = language.empty() ? "en" : language.substr(0, language.find_first_of(".@"));
        for (char& c : code)
            if (c == '_')
                c = '-';
        setLanguage(connection, code.c_str());
        return true;
    }
};

struct TSpeechQueue {
    std::mutex lock;
    std::condition_variable waiting;
    std::deque<std::string> words;
    bool started = false;
};

// Never freed: the thread may still be waiting on it while the program ends.
TSpeechQueue& Queue()
{
    static TSpeechQueue* queue = new TSpeechQueue;
    return *queue;
}

void SpeakFromQueue(std::string language)
{
    TSpeechQueue& queue = Queue();
    TSpeechService service;
    const bool connected = service.Connect(language);
    for (;;) {
        std::string next;
        {
            std::unique_lock<std::mutex> held(queue.lock);
            queue.waiting.wait(held, [&] { return !queue.words.empty(); });
            next = std::move(queue.words.front());
            queue.words.pop_front();
        }
        // A message, so that each is said after the one before rather than cutting it off.
        if (connected)
            service.say(service.connection, SPD_MESSAGE, next.c_str());
    }
}

}  // namespace

void SpeakAloud(const std::string& words)
{
    TSpeechQueue& queue = Queue();
    std::lock_guard<std::mutex> held(queue.lock);
    if (!queue.started) {
        queue.started = true;
        // Read here, on the game's thread, where the language was chosen.
        std::thread(SpeakFromQueue, CurrentLanguage()).detach();
    }
    // A player who cannot keep up with the voice hears the newest words, not a backlog of old ones.
    constexpr size_t MOST_WAITING = 8;
    if (queue.words.size() >= MOST_WAITING)
        queue.words.pop_front();
    queue.words.push_back(words);
    queue.waiting.notify_one();
}
