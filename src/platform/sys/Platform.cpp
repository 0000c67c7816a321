// Platform start-up: SDL's event and timer subsystems; video opens with the display, audio on its own.
#include "platform/Platform.h"

#include <SDL.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

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

}  // namespace

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
    SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER);
}
