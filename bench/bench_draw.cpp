// bench_draw - the drawing layer's own costs: building one quad, laying out a 1,000-glyph text run,
// and the draw calls a typical frame needs. Run from the build folder, where Data/ lies.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/Platform.h"
#include "platform/Testing.h"

namespace {

TImageFontPtr gameFontForBench;
TImagePtr ring;

// One offscreen display for the whole run, with the game's font and a picture.
void PrepareDisplay()
{
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    InitPlatform();
    OpenGraphics(1024, 768, 0, 60, 0);
    gameFontForBench = LoadFontFile("Data/Fonts/beware.ttf", 64, FONT_STYLE_SMOOTH);
    ring = LoadImageFile("Data/Images/particlering.png", -1);
    if (!ring)
        ring = CreateBlankImage(128, 128, 1, -1);
    CentreImageHandle(ring);
}

// A rotated, scaled rectangle: transform four corners, clamp the colour, append to the batch.
// Flushes (one per 4,096 quads) are part of the price, as in a real frame.
void BM_BuildQuad(benchmark::State& state)
{
    PrepareDisplay();
    SetBlend(3);
    SetDrawRotation(30.0f);
    SetDrawScale(1.5f, 0.75f);
    SetColor(300, 120, -4);
    float x = 0.0f;
    for (auto _ : state) {
        DrawRect(x, 100.0f, 10.0f, 10.0f);
        x = x > 1000.0f ? 0.0f : x + 1.0f;
    }
    FlipDisplay(0);
    SetDrawRotation(0.0f);
    SetDrawScale(1.0f, 1.0f);
    SetColor(255, 255, 255);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildQuad);

// 1,000 glyphs of the game's font at the game's text scale: decoding, glyph look-up and 1,000 quads.
void BM_TextRun1000(benchmark::State& state)
{
    PrepareDisplay();
    SetBlend(3);
    SetDrawFont(gameFontForBench);
    SetDrawScale(0.25f, 0.25f);
    std::string text;
    while (text.size() < 1000)
        text += "Score 012345 Level 7 + 8 = 15 Good! ";
    text.resize(1000);
    DrawTextAt(text, 0.0f, 0.0f);   // rasterise the glyphs outside the timing
    FlipDisplay(0);
    for (auto _ : state) {
        DrawTextAt(text, 0.0f, 300.0f);
        FlipDisplay(0);
    }
    state.counters["draw_calls"] = DrawCallsLastFrame();
    state.SetItemsProcessed(state.iterations() * 1000);
    SetDrawScale(1.0f, 1.0f);
}
BENCHMARK(BM_TextRun1000);

// A frame shaped like the game's: clear, a question and answer in large text, a HUD of labels and a
// time bar, and a dozen rotating ring particles.
void BM_TypicalFrame(benchmark::State& state)
{
    PrepareDisplay();
    SetClsColor(50, 0, 50);
    int frame = 0;
    for (auto _ : state) {
        SetBlend(3);
        Cls();
        SetDrawFont(gameFontForBench);
        SetColor(255, 255, 255);
        SetDrawScale(1.0f, 1.0f);
        DrawTextAt("12 x 7 =", 300.0f, 250.0f);
        DrawTextAt("84", 460.0f, 350.0f);
        SetDrawScale(0.4f, 0.4f);
        DrawTextAt("Score 001230", 10.0f, 10.0f);
        DrawTextAt("Level 4", 10.0f, 40.0f);
        DrawTextAt("Combo x3", 800.0f, 10.0f);
        SetDrawScale(1.0f, 1.0f);
        SetColor(80, 200, 80);
        DrawRect(10.0f, 740.0f, 1004.0f * (1.0f - (frame % 600) / 600.0f), 16.0f);
        SetColor(255, 255, 255);
        for (int i = 0; i < 12; ++i) {
            SetAlpha(1.0f - i / 12.0f);
            SetDrawRotation(float(frame * 3 + i * 30));
            SetDrawScale(0.5f + i * 0.1f, 0.5f + i * 0.1f);
            DrawImageAt(ring, 200.0f + i * 50.0f, 500.0f, 0);
        }
        SetAlpha(1.0f);
        SetDrawRotation(0.0f);
        SetDrawScale(1.0f, 1.0f);
        FlipDisplay(0);
        ++frame;
    }
    state.counters["draw_calls"] = DrawCallsLastFrame();
}
BENCHMARK(BM_TypicalFrame);

}  // namespace

BENCHMARK_MAIN();
