// bench_particles - cost per frame of the particle list (logic and drawing) with text and with image
// particles, at several counts, so the growth with the count can be read off. Run from the build folder.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/Platform.h"
#include "platform/Testing.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"
#include "toolkit/ParticleList.h"

namespace {

// The display, the renderer and the game's font, made once for the whole run.
void PrepareDisplay()
{
    static bool ready = false;
    if (ready) return;
    ready = true;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    InitPlatform();
    OpenGraphics(1024, 768, 0, 60, 0);
    SetBlend(3);
    renderer = TRenderer::Create();
    gameFont = LoadFontFile("Data/Fonts/beware.ttf", 64, FONT_STYLE_SMOOTH);
}

TGameImagePtr RingImage()
{
    TImagePtr image = LoadImageFile("Data/Images/particlering.png", -1);
    if (!image) {
        // Without the generated data a drawn disc of the same kind stands in.
        image = CreateBlankImage(64, 64, 1, -1);
        PixelBuffer pixels = LockImagePixels(image, 0, 1, 1);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                int dx = x - 32, dy = y - 32;
                if (dx * dx + dy * dy < 900) pixels.Write(x, y, 0xFFFFA040u);
            }
        UnlockImagePixels(image, 0);
    }
    return TGameImage::CreateFromImage(image, "RING", 1);
}

// Particles that never die: they spin and drift so every frame does the full work.
TParticleListPtr MakeList(int count, bool text)
{
    auto list = TParticleList::Create();
    TGameImagePtr ring = text ? nullptr : RingImage();
    for (int i = 0; i < count; ++i) {
        TParticlePtr p = text ? list->AddNew(nullptr, 100 + (i * 37) % 800, 100 + (i * 53) % 560, "Good", gameFont)
                              : list->AddNew(ring, 100 + (i * 37) % 800, 100 + (i * 53) % 560);
        p->SetParams(0.0f, 1.0f, 0.0f, 0.0f, 0.01f, -0.01f);
        p->SetScaleParams(0.5f, 0.5f);
        if (text) {
            // As the game's praise words: coloured, shadowed, faded.
            p->color = TColor::Create(255, 220, 0, 1.0f);
            p->shadow = TShadow::Create(2, 2, 0.5f);
            p->alpha = 0.9f;
        }
    }
    return list;
}

// One frame: logic, drawing, and the flush of the frame's quads to the display.
void RunFrames(benchmark::State& state, bool text)
{
    PrepareDisplay();
    const int count = int(state.range(0));
    TParticleListPtr list = MakeList(count, text);
    for (auto _ : state) {
        Cls();
        list->Logic();
        list->Draw();
        FlipDisplay(0);
    }
    state.SetComplexityN(count);
    state.counters["particles"] = count;
    state.counters["ns_per_particle"] = benchmark::Counter(
        double(count) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["draw_calls"] = DrawCallsLastFrame();
}

// The same frame with no particles: the clear and the flush, to set the figures above against.
void BM_EmptyFrame(benchmark::State& state)
{
    PrepareDisplay();
    for (auto _ : state) {
        Cls();
        FlipDisplay(0);
    }
}

void BM_TextParticlesFrame(benchmark::State& state) { RunFrames(state, true); }
void BM_ImageParticlesFrame(benchmark::State& state) { RunFrames(state, false); }

// Logic alone, without the display: the part of the frame that is pure list and arithmetic.
void BM_ParticleLogicOnly(benchmark::State& state)
{
    const int count = int(state.range(0));
    auto list = TParticleList::Create();
    for (int i = 0; i < count; ++i) list->AddNew(nullptr, i % 1024, i % 768, "7")->SetParams(0, 1, 0, 0, 0.1f, 0.1f);
    for (auto _ : state) {
        list->Logic();
        benchmark::DoNotOptimize(list->items.front()->x);
    }
    state.SetComplexityN(count);
}

// CPU time is the game thread's cost (logic, vertex building, submission); wall time also holds the
// rasteriser's, which on a software renderer grows with the pixels covered.
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextParticlesFrame)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ImageParticlesFrame)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParticleLogicOnly)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
