// bench_gameplay - the work of the busiest game frame (logic, drawing, submission): the time runs out
// during a wrong answer's animation while every effect that can coexist with it is alive. Beside it, a
// quiet answering frame and an empty frame measured in the same run. Times are the game thread's CPU time
// per frame (wall time in a counter). Run from the build folder.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <ctime>

#include "app/Startup.h"
#include "platform/Platform.h"
#include "platform/sound/SoundTesting.h"
#include "platform/Testing.h"
#include "play/GameScreen.h"
#include "play/Level.h"
#include "play/Player.h"
#include "play/Profile.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "toolkit/ImageBank.h"

namespace {

// The real start-up on the virtual clock and without an audio device, once for the whole run.
void PrepareGame()
{
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    UseVirtualClock(true);
    UseManualAudio(true);
    // The game never ends itself here; should it, say so rather than vanish mid-run.
    SetProgramExitHook([](int code) {
        std::fprintf(stderr, "the game ended with code %d during the benchmark\n", code);
        std::exit(code);
    });
    Startup();
    SeedRandom(2024);
}

// A frame without a display draws nothing and would time as nearly free.
bool DisplayMissing(benchmark::State& state)
{
    if (CurrentDisplay())
        return false;
    state.SkipWithError("no display opened");
    return true;
}

// Thread CPU time spent in the logic part of FrameWork, summed over a benchmark's iterations.
double logicSeconds = 0.0;
double ThreadSeconds();

// One frame's work without the wait for the timer.
void FrameWork()
{
    const double start = ThreadSeconds();
    game->Logic();
    logicSeconds += ThreadSeconds() - start;
    game->Draw();
    FlipDisplay(0);
}

// Set-up frames need only their logic; drawing them would only cost the rasteriser's time.
void TypeAndStep(const std::string& text)
{
    for (char c : text) {
        InjectTypedChar(c);
        game->Logic();
    }
}

// A new level in which one right answer ("Good" and the falling number) is followed by a wrong one
// (the right answer, the red number, the ring and eight explosions), with the level-start prompt still
// alive; the next frame's timer tick is the time-up.
void SetUpBusiestFrame()
{
    // Without a device the sounds of earlier set-ups only end when mixed: play them out, or every
    // iteration would measure a mixer with more live channels than the last.
    static float mix[2 * 4096];
    for (int i = 0; i < 40 && LiveChannelCount() > 1; ++i)
        MixAudioInto(mix, 4096, 44100);

    profile = TProfile::Create();
    profile->gameMode = TProfile::MODE_MULTIPLICATION;
    profile->level = 4;
    game->ChangeScreen(TGameScreen::Create());
    TypeAndStep(std::to_string(level->answer));
    const int a = level->answer;
    TypeAndStep(std::to_string(a % 10 == 9 ? a - 1 : a + 1));
    game->Logic();
    level->timeLeft = 1;
}

// The game thread's own CPU time: on the software rasteriser the wall time of a frame is mostly the
// rasteriser's threads filling pixels, which says nothing of the game's work and swings with the load.
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

using Clock = std::chrono::steady_clock;

// Times one call: the iteration time is the thread's CPU time, the wall time is summed for a counter.
template <typename Work>
void TimeOne(benchmark::State& state, double& wallTotal, Work work)
{
    const double cpuStart = ThreadSeconds();
    const auto wallStart = Clock::now();
    work();
    wallTotal += std::chrono::duration<double>(Clock::now() - wallStart).count();
    state.SetIterationTime(ThreadSeconds() - cpuStart);
}

void ReportWall(benchmark::State& state, double wallTotal)
{
    state.counters["wall_us"] = benchmark::Counter(wallTotal * 1e6 / double(state.iterations()));
    state.counters["logic_us"] = benchmark::Counter(logicSeconds * 1e6 / double(state.iterations()));
    logicSeconds = 0.0;
}

void BM_BusiestGameFrame(benchmark::State& state)
{
    PrepareGame();
    if (DisplayMissing(state))
        return;
    int particles = 0;
    double wall = 0.0;
    logicSeconds = 0.0;
    for (auto _ : state) {
        SetUpBusiestFrame();
        TimeOne(state, wall, FrameWork);
        particles = TGameScreen::particleList->Count();
        if (player->deathAnimCounter != TPlayer::TIME_UP_ANIM_FRAMES - 1)
            state.SkipWithError("the frame measured was not the time-up");
    }
    state.counters["particles"] = particles;
    state.counters["live_channels"] = LiveChannelCount();
    state.counters["draw_calls"] = DrawCallsLastFrame();
    ReportWall(state, wall);
}

// An answering frame of a fresh level: the question, the field, the prompt and the HUD.
void BM_QuietGameFrame(benchmark::State& state)
{
    PrepareGame();
    if (DisplayMissing(state))
        return;
    profile = TProfile::Create();
    game->ChangeScreen(TGameScreen::Create());
    double wall = 0.0;
    logicSeconds = 0.0;
    for (auto _ : state) {
        TimeOne(state, wall, FrameWork);
        // Keep the level answering for ever: the timer and the prompt never run out.
        level->timeLeft = level->timeLimit;
    }
    state.counters["draw_calls"] = DrawCallsLastFrame();
    ReportWall(state, wall);
}

// The clear and the flip alone, to set the figures above against.
void BM_EmptyFrame(benchmark::State& state)
{
    PrepareGame();
    if (DisplayMissing(state))
        return;
    double wall = 0.0;
    for (auto _ : state) {
        TimeOne(state, wall, [] {
            Cls();
            FlipDisplay(0);
        });
    }
    ReportWall(state, wall);
}

BENCHMARK(BM_EmptyFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QuietGameFrame)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BusiestGameFrame)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
