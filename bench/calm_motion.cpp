// calm_motion - how much of the picture moves with and without the calm mode: the pixels each presented
// frame drew (its changed boxes, or the whole picture), over a wrong answer's animation, a time-up's
// and the whole level they belong to.
//
// The real game (start-up, RunFrame) on the offscreen display and the virtual clock, the same seed and
// script in both modes: a right answer, a wrong one, a right one, then the time runs out.
//
// Run from the build folder, where Data/ lies:  bench/calm_motion
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Startup.h"
#include "play/Level.h"
#include "play/Player.h"
#include "platform/Platform.h"
#include "platform/Testing.h"
#include "shell/Access.h"
#include "shell/Game.h"
#include "shell/Globals.h"

namespace {

std::string ScreenName() { return game && game->currentScreen ? game->currentScreen->name : ""; }

// Frames run and pixels drawn since the last Take.
struct TTally {
    int frames = 0;
    uint64_t areaAtStart = DrawnAreaCount();
    uint64_t Take(int& framesOut)
    {
        const uint64_t area = DrawnAreaCount() - areaAtStart;
        framesOut = frames;
        frames = 0;
        areaAtStart = DrawnAreaCount();
        return area;
    }
};

TTally tally;

void Frame()
{
    if (!RunFrame()) {
        std::fprintf(stderr, "calm_motion: the script pressed Ctrl+X by mistake\n");
        std::exit(1);
    }
    ++tally.frames;
}

void Frames(int n)
{
    for (int i = 0; i < n; ++i)
        Frame();
}

void Type(const std::string& text)
{
    for (char c : text) {
        Frames(5);
        InjectTypedChar(c);
        Frame();
    }
}

std::string Wrong()
{
    std::string text = std::to_string(level->answer);
    text.back() = char('0' + (text.back() - '0' + 1) % 10);
    return text;
}

void WaitWhileAnimating()
{
    for (int i = 0; i < 300 && ScreenName() == "Game" && (player->deathAnimCounter || player->successAnimCounter);
         ++i)
        Frame();
}

struct TFigures {
    double wrong = 0, timeUp = 0, level = 0;
};

double PerFrame(uint64_t area, int frames) { return frames ? double(area) / frames : 0.0; }

TFigures Play(bool calm)
{
    SetAccessModes({100, calm, false});
    SeedRandom(2026);
    InjectKeyPress(KEY_1);
    Frame();
    int frames = 0;
    tally.Take(frames);
    uint64_t levelArea = 0;
    int levelFrames = 0;
    const auto add = [&](uint64_t area, int n) {
        levelArea += area;
        levelFrames += n;
    };

    Frames(30);
    Type(std::to_string(level->answer));
    Type(Wrong());
    add(tally.Take(frames), frames);
    // The wrong answer's animation: from the frame after the answer to the last of its 40.
    WaitWhileAnimating();
    TFigures figures;
    uint64_t area = tally.Take(frames);
    figures.wrong = PerFrame(area, frames);
    add(area, frames);
    Type(std::to_string(level->answer));
    Frames(30);
    level->timeLeft = 1;
    Frame();
    add(tally.Take(frames), frames);
    WaitWhileAnimating();
    area = tally.Take(frames);
    figures.timeUp = PerFrame(area, frames);
    add(area, frames);
    figures.level = PerFrame(levelArea, levelFrames);

    for (int i = 0; i < 200 && ScreenName() != "Game Over"; ++i)
        Frame();
    InjectKeyPress(KEY_SPACE);
    Frames(2);
    return figures;
}

}  // namespace

int main()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    UseVirtualClock(true);
    Startup();
    Frames(10);
    const TFigures full = Play(false);
    const TFigures calm = Play(true);
    const double screen = 1024.0 * 768.0;
    std::printf("pixels drawn per presented frame (share of the 1024 x 768 picture)\n");
    std::printf("%-34s %18s %18s\n", "", "full motion", "calm");
    const auto row = [&](const char* what, double a, double b) {
        std::printf("%-34s %10.0f (%4.1f%%) %10.0f (%4.1f%%)\n", what, a, 100.0 * a / screen, b, 100.0 * b / screen);
    };
    row("wrong answer's animation (40)", full.wrong, calm.wrong);
    row("time-up animation (80)", full.timeUp, calm.timeUp);
    row("the whole level", full.level, calm.level);
    return 0;
}
