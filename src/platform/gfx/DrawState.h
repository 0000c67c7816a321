// DrawState - the draw state as every quad takes it: its colour in bytes, and its matrix applied to
// corners. Only the platform's own .cpp files include this.
#pragma once

#include "platform/Display.h"
#include "platform/gfx/Recording.h"

namespace gfx {

// The draw state's colour and alpha, clamped and turned into bytes the way every quad takes them.
TColour StateColour();

// A point (lx, ly) local to an anchor (tx, ty), through the draw state's matrix.
inline TPoint Transform(const TDrawState& s, float tx, float ty, float lx, float ly)
{
    return {tx + lx * s.ix + ly * s.iy, ty + lx * s.jx + ly * s.jy};
}
// The corners, clockwise from the top-left, of the w x h rectangle at (left, top) local to (x, y),
// through the draw state's matrix.
void RectCorners(float x, float y, float left, float top, float w, float h, TPoint out[4]);

}  // namespace gfx
