// bare_clear - the baseline for whole-process figures: the display code alone, clearing the 1024 x 768
// picture and presenting it at 60 frames a second, every frame really presented, and nothing else.
//
// bench/bare_clear [SECONDS]   (default 10; SECONDS after the first presented frame, then it exits)
// When CALCADIA_READY_FD names an open descriptor, one byte is written to it once the first frame has
// been presented, so a launcher can time exec to first frame.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/Platform.h"

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    InitPlatform();
    if (!OpenGraphics(1024, 768, 0, 60, 0)) {
        std::fprintf(stderr, "bare_clear: no display\n");
        return 1;
    }
    const TTimerPtr timer = TTimer::Create(60.0f);
    SetClsColor(50, 0, 50);
    const uint64_t end = ClockMillis() + uint64_t(seconds * 1000.0);
    bool first = true;
    while (!AppTerminateRequested()) {
        Cls();
        // A bare program has no idea what it showed before: every frame goes to the window.
        InvalidatePresentedFrame();
        timer->Wait();
        FlipDisplay(1);
        SleepMillis(1);
        if (first) {
            first = false;
            if (const char* fd = std::getenv("CALCADIA_READY_FD"))
                if (write(std::atoi(fd), "1", 1) != 1)
                    std::perror("bare_clear");
        }
        if (ClockMillis() >= end && seconds > 0)
            break;
    }
    CloseGraphics();
    return 0;
}
