// game_hold - the real game held on one screen for a while on the real clock, for whole-process figures
// (CPU, exec to first frame, peak memory) under an X server next to bare_clear and bare_quads.
//
// bench/game_hold title [SECONDS]   the title screen, untouched
// bench/game_hold level [SECONDS]   a level of Addition in play: every five seconds the player types an
//                                   answer a digit every few frames, right and wrong in turn, so the
//                                   level neither ends nor stands still
// bench/game_hold waiting [SECONDS] a level of Addition nobody answers: the clock runs down, the
//                                   cursor blinks
// SECONDS (default 10) count from the first presented frame; then the program ends as Ctrl+X would end
// it. Start-up and every frame are the game's own (Startup, RunFrame); only the input is scripted.
// CALCADIA_READY_FD: one byte is written to that descriptor once the first frame has been presented.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/Testing.h"
#include "play/Level.h"
#include "shell/Game.h"
#include "shell/Globals.h"

int main(int argc, char** argv)
{
    const bool answering = argc > 1 && std::strcmp(argv[1], "level") == 0;
    const bool inLevel = answering || (argc > 1 && std::strcmp(argv[1], "waiting") == 0);
    if (argc < 2 || (!inLevel && std::strcmp(argv[1], "title") != 0)) {
        std::fprintf(stderr, "usage: game_hold title|level|waiting [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;

    Startup();
    if (!RunFrame())
        return 0;
    if (const char* fd = std::getenv("CALCADIA_READY_FD"))
        if (write(std::atoi(fd), "1", 1) != 1)
            std::perror("game_hold");

    const uint64_t start = ClockMillis();
    const uint64_t end = start + uint64_t(seconds * 1000.0);
    if (inLevel)
        InjectKeyPress(KEY_1);
    uint64_t nextAnswer = start + 3000;
    int answers = 0;
    std::string typing;
    int framesToNextDigit = 0;
    while (ClockMillis() < end) {
        if (answering && typing.empty() && ClockMillis() >= nextAnswer && level && game->currentScreen &&
            game->currentScreen->name == "Game") {
            typing = std::to_string(level->answer);
            // Every other answer is wrong: its last digit is off by one.
            if (answers++ % 2 == 1)
                typing.back() = char('0' + (typing.back() - '0' + 1) % 10);
            nextAnswer = ClockMillis() + 5000;
        }
        if (!typing.empty() && --framesToNextDigit <= 0) {
            InjectTypedChar(typing.front());
            typing.erase(0, 1);
            framesToNextDigit = 8;
        }
        if (!RunFrame())
            break;
    }
    // How the frames went out: drawn whole, drawn in part, or left out.
    std::fprintf(stderr, "game_hold: %llu frames presented (%llu of them in part), %llu left out\n",
                 (unsigned long long)PresentedFrameCount(), (unsigned long long)PartialFrameCount(),
                 (unsigned long long)SkippedFrameCount());
    EndProgram();
}
