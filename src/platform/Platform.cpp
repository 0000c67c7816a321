// Platform start-up: SDL's event and timer subsystems; video opens with the display, audio on its own.
#include "platform/Platform.h"

#include <SDL.h>

void InitPlatform()
{
    if (SDL_WasInit(SDL_INIT_EVENTS)) return;
    // The game names itself to the audio server and the window manager.
    SDL_SetHint(SDL_HINT_APP_NAME, "Calcadia");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Calcadia");
    // Ctrl+C in a terminal should end the program, not become a close request the game may ignore.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER);
}
