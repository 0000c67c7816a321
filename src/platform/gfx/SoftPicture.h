// SoftPicture - a recorded frame painted on the CPU, for the window to show while the GL driver is still
// building the code of the frame's first draws. Only the platform's own .cpp files include this.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gfx/Recording.h"

namespace gfx {

// The texels of a texture, 0xAARRGGBB, top row first; smooth ones are sampled bilinearly.
struct TTexels {
    const uint32_t* argb = nullptr;
    int width = 0, height = 0;
    bool smooth = false;
};
using TTexelsOf = std::function<bool(unsigned texture, TTexels& texels)>;

// Paints `r` into `argb` (width x height, 0xAARRGGBB, top row first) as the GL pipeline draws it, to
// within a step of rounding where texels are filtered or blended. False, with `argb` in any state, when
// the recording holds what this painter does not do: it must start with a clear, and every quad must be
// an upright rectangle mapped straight onto a rectangle of a texture whose texels `texelsOf` gives.
// Boxes outside which no quad of `r`, a recording PaintRecording paints, touches a pixel of the
// width x height picture: one per run of rows that some quad covers, as wide as the quads in it reach
// (a pixel of room around each quad). A line of text is a box; the empty rows between lines are in none.
std::vector<TBox> CoveredBoxes(const TRecording& r, int width, int height);
// The picture's pixel after a clear command.
uint32_t ClearedPixel(const TCommand& clear);

bool PaintRecording(const TRecording& r, int width, int height, const TTexelsOf& texelsOf, uint32_t* argb);

}  // namespace gfx
