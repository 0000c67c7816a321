// The program's entry in the browser. A page cannot run a loop of its own: the browser would show
// nothing and answer nothing until it returned. So the browser's animation callback calls the game's
// frame (the same logic, drawing and flip as the desktop's loop), at most once per 16 ms tick of the
// frame timer, so a 120 Hz or 144 Hz screen plays at the same speed as a 60 Hz one. The callback was
// chosen over suspending the loop in place (Asyncify): the game's frame already runs one pass at a
// time, the module stays smaller and faster without the rewriting Asyncify does, and each frame is
// shown by the browser at its own refresh.
#include <emscripten.h>

#include "platform/Beside.h"
#include "platform/Process.h"
#include "platform/Testing.h"   // the exit hook: how the page learns that the game has ended
#include "platform/Timing.h"
#include "shell/Startup.h"

namespace {

TTimerPtr pace;

void Frame()
{
    // With no tick due, the browser gets the screen back unchanged.
    if (pace->Wait() == 0)
        return;
    if (!RunFrame())
        EndProgram();
    // Music decoding and the like, between frames.
    RunStepsBeside();
    // The page measures the frames' work and knows when the first picture is up.
    EM_ASM({ if (Module.onGameFrame) Module.onGameFrame($0); }, double(LastFrameWork().TotalNs()) / 1e6);
}

}  // namespace

int main()
{
    // However the game ends (the player, or an error whose text went to the console), the loop stops
    // and the page says so instead of leaving a frozen picture.
    SetProgramExitHook([](int code) {
        emscripten_cancel_main_loop();
        EM_ASM({ if (Module.onGameEnd) Module.onGameEnd($0); }, code);
    });
    Startup();
    pace = TTimer::Create(60.0f);
    emscripten_set_main_loop(Frame, 0, 0);
    return 0;
}
