// SpeechWeb - the browser's voice: the words go to the page, which says them with the browser's speech
// and puts them in a live region for screen readers. A page without that part hears nothing.
#include "platform/sys/SpeechOutput.h"

#include <emscripten.h>

// The page's speakWords, when it has one.
EM_JS(void, WebSpeak, (const char* words), {
    if (typeof Module.speakWords === 'function')
        Module.speakWords(UTF8ToString(words));
});

void SpeakAloud(const std::string& words) { WebSpeak(words.c_str()); }
