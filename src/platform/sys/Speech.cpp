// Speech - Speak goes to the system's voice, or to a test's listener in its place.
#include "platform/Speech.h"

#include <functional>

#include "platform/sys/SpeechOutput.h"
#include "platform/sys/SysTesting.h"

namespace {
std::function<void(const std::string&)> listener;
}

void ListenToSpeech(std::function<void(const std::string&)> heard) { listener = std::move(heard); }

void Speak(const std::string& words)
{
    if (listener)
        listener(words);
    else
        SpeakAloud(words);
}
