// SpeechOutput - the system's voice behind Speak: one file a system, chosen by the build (the desktop's
// speech service, the browser's speech and live region).
#pragma once

#include <string>

// Hands the words to the voice without waiting for it; quietly does nothing when there is no voice.
void SpeakAloud(const std::string& words);
