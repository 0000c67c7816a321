// Gfx testing - the drawing counters tests and benchmarks read (draw calls, textures, uploads, and how
// each frame went out), and the text drawn. The game's own code never includes it, and the frame loop
// never reads the counters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Draw calls issued since the last FlipDisplay, and during the frame the last FlipDisplay presented.
int DrawCallsThisFrame();
int DrawCallsLastFrame();
// Distinct textures the draw calls of the last frame that FlipDisplay ended used.
int DistinctTexturesLastFrame();
// Frames FlipDisplay really drew and presented since the program started, frames it left out because
// they would have shown the picture already on screen, and texture uploads (whole images or glyph
// rectangles) made so far.
uint64_t PresentedFrameCount();
// Presented frames that were drawn only in the box where they differ from the frame before.
uint64_t PartialFrameCount();
// Pixels the presented frames drew, added up: a partial frame's changed boxes, a whole frame's picture.
// What moves on the screen, and how much of it, shows here.
uint64_t DrawnAreaCount();
uint64_t SkippedFrameCount();
uint64_t TextureUploadCount();

// Called for every line DrawTextAt draws with some ink, with the box its glyphs cover on the screen
// (left, top, right, bottom); an empty function stops it. Layout checks see every text this way.
void SetTextDrawnHook(std::function<void(const std::string& text, float left, float top, float right,
                                         float bottom)> hook);
