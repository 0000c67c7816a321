// Process services - the message box, console lines, and the two ways the program ends.
#include "platform/Process.h"

#include "platform/Display.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
std::function<void(int)> exitHook;

[[noreturn]] void Exit(int code)
{
    if (exitHook) {
        exitHook(code);
    }
    // Whatever ends the program (an error as much as the player), the window and its GL context are
    // closed first, so the driver frees what it made for them instead of leaving it to the process's end.
    CloseGraphics();
    std::fflush(stdout);
    std::exit(code);
}

// A box can only show on a real window system; under the offscreen or dummy drivers, or with no
// display at all, nobody could click it and the program would hang.
bool CanShowMessageBox()
{
    const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (!driver) driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) return false;
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}
}

void SetProgramExitHook(std::function<void(int)> hook) { exitHook = std::move(hook); }

void ShowNotice(const std::string& text, int serious)
{
    if (!CanShowMessageBox()) return;
    const Uint32 flags = serious ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, GetAppTitle().c_str(), text.c_str(), nullptr);
}

void PrintLine(const std::string& text)
{
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void EndProgram()
{
    CloseGraphics();
    Exit(0);
}

void RuntimeError(const std::string& text)
{
    std::fflush(stdout);
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    Exit(-1);
}
