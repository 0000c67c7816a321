// Window - decorations of the open display's window that the window manager controls.
#include "platform/Window.h"
#include "platform/gl/GLTesting.h"

#include <SDL.h>

#include "platform/Display.h"

namespace {

// The open display's SDL window, looked up by id so the display record stays private to Display.cpp.
SDL_Window* OpenWindow()
{
    const unsigned id = DisplayWindowId();
    return id ? SDL_GetWindowFromID(id) : nullptr;
}

}  // namespace

int SetDisplayResizable(TDisplay* display, int resizable)
{
    SDL_Window* window = OpenWindow();
    if (!display || display != CurrentDisplay() || !window)
        return 0;
    SDL_SetWindowResizable(window, resizable ? SDL_TRUE : SDL_FALSE);
    return DisplayIsResizable() == (resizable ? 1 : 0) ? 1 : 0;
}

int DisplayIsResizable()
{
    SDL_Window* window = OpenWindow();
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE) ? 1 : 0;
}
