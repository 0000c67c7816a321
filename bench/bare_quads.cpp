// bare_quads - the second baseline for whole-process figures: the display code clearing the picture and
// drawing 200 alpha-blended 64 x 64 textured quads a frame, moving, at 60 frames a second, every frame
// presented.
//
// bench/bare_quads [SECONDS]   (default 10; SECONDS after the first presented frame, then it exits)
// CALCADIA_READY_FD: as for bare_clear.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/Platform.h"

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    InitPlatform();
    if (!OpenGraphics(1024, 768, 0, 60, 0)) {
        std::fprintf(stderr, "bare_quads: no display\n");
        return 1;
    }
    // A soft disc: the texels vary in colour and alpha, as a game's sprite does.
    const TImagePtr sprite = CreateBlankImage(64, 64, 1, IMAGE_FILTERED);
    PixelBuffer pixels = LockImagePixels(sprite, 0, 0, 1);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int dx = x - 32, dy = y - 32;
            const int d2 = dx * dx + dy * dy;
            const uint32_t alpha = d2 >= 1024 ? 0u : uint32_t(255 - d2 * 255 / 1024);
            pixels.Write(x, y, (alpha << 24) | (uint32_t(x * 4) << 16) | (uint32_t(y * 4) << 8) | 200u);
        }
    UnlockImagePixels(sprite, 0);
    const TTimerPtr timer = TTimer::Create(60.0f);
    SetClsColor(50, 0, 50);
    SetBlend(3);
    SetAlpha(0.8f);
    const uint64_t end = ClockMillis() + uint64_t(seconds * 1000.0);
    bool first = true;
    for (int frame = 0; !AppTerminateRequested(); ++frame) {
        Cls();
        for (int i = 0; i < 200; ++i) {
            const float x = float((i * 97 + frame * 3) % 960);
            const float y = float((i * 53 + frame * 2 + (i / 20) * 40) % 704);
            DrawImageAt(sprite, x, y, 0);
        }
        InvalidatePresentedFrame();
        timer->Wait();
        FlipDisplay(1);
        SleepMillis(1);
        if (first) {
            first = false;
            if (const char* fd = std::getenv("CALCADIA_READY_FD"))
                if (write(std::atoi(fd), "1", 1) != 1)
                    std::perror("bare_quads");
        }
        if (ClockMillis() >= end && seconds > 0)
            break;
    }
    CloseGraphics();
    return 0;
}
