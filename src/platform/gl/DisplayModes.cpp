// DisplayModes - the monitor's modes, as the system information lists them.
#include "platform/Display.h"

#include <SDL.h>

#include <algorithm>

#include "platform/gl/DisplayState.h"

using namespace gl;

int CountDisplayModes()
{
    if (!VideoReady())
        return 0;
    return std::max(0, SDL_GetNumDisplayModes(0));
}

TDisplayMode GetDisplayMode(int index)
{
    SDL_DisplayMode mode{};
    if (!VideoReady() || index < 0 || SDL_GetDisplayMode(0, index, &mode) != 0)
        return {};
    // The bits a pixel takes, padding included: the usual 8-bit-per-colour modes store 24 bits of colour
    // in 32, and are the 32-bit modes a player knows.
    return {mode.w, mode.h, int(SDL_BYTESPERPIXEL(mode.format)) * 8, mode.refresh_rate};
}
