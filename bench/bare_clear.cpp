// bare_clear - the baseline for whole-process figures: a bare SDL2 + OpenGL program, none of the game's
// code, that opens a 1024 x 768 window with the game's kind of context, clears it to the game's purple
// and presents it at 60 frames a second. Whatever the game costs beyond it is the game's own.
//
// bench/bare_clear [SECONDS]   (default 10; SECONDS after the first presented frame, then it exits;
//                               0 runs until it is closed or killed)
// When CALCADIA_READY_FD names an open descriptor, one byte is written to it once the first frame has
// been presented, so a launcher can time exec to first frame.
#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr unsigned GL_COLOR_BUFFER_BIT_VALUE = 0x00004000;
using TClearColor = void (*)(float, float, float, float);
using TClear = void (*)(unsigned);
}

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bare_clear: no display (%s)\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_Window* window = SDL_CreateWindow("bare_clear", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1024, 768,
                                          SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    const auto clearColor = reinterpret_cast<TClearColor>(SDL_GL_GetProcAddress("glClearColor"));
    const auto clear = reinterpret_cast<TClear>(SDL_GL_GetProcAddress("glClear"));
    if (!context || !clearColor || !clear) {
        std::fprintf(stderr, "bare_clear: no OpenGL 3.3 window (%s)\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(1);
    clearColor(50 / 255.0f, 0.0f, 50 / 255.0f, 1.0f);

    Uint64 end = 0;
    const Uint64 start = SDL_GetTicks64();
    Uint64 frames = 0;
    for (bool running = true; running;) {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            running = running && event.type != SDL_QUIT;
        clear(GL_COLOR_BUFFER_BIT_VALUE);
        SDL_GL_SwapWindow(window);
        if (end == 0) {
            end = SDL_GetTicks64() + Uint64(seconds * 1000.0);
            if (const char* fd = std::getenv("CALCADIA_READY_FD"))
                if (write(std::atoi(fd), "1", 1) != 1)
                    std::perror("bare_clear");
        }
        if (seconds > 0 && SDL_GetTicks64() >= end)
            break;
        // 60 frames a second on the millisecond clock, as a bare program paces itself.
        const Uint64 next = start + ++frames * 1000 / 60;
        const Uint64 now = SDL_GetTicks64();
        if (next > now)
            SDL_Delay(Uint32(next - now));
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
