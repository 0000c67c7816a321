// DrawBatch - the quad batch: every drawing call of the platform becomes quads recorded here, merged
// into as few draw calls as the frame allows and carried out at the end of the frame. Only the
// platform's own .cpp files include this.
#pragma once

#include <cstdint>
#include <vector>

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

// Made and dropped with the GL context; false when the shader or buffers cannot be made.
bool OpenBatch(int gameWidth, int gameHeight);
void CloseBatch();

// Appends one quad, corners clockwise from the local top-left, with the texture rectangle
// (u0, v0)-(u1, v1). It joins the frame's latest draw call with the same texture and blend mode unless
// something drawn since overlaps it; otherwise it starts a new draw call.
void AddQuad(unsigned texture, const TPoint corners[4], float u0, float v0, float u1, float v1,
             TColour colour, const TWhiteTexel* white = nullptr);
// A quad with a texture point of its own at each corner; drawn as the triangles (0, 1, 2) and (0, 2, 3),
// so it need not be a rectangle, nor even convex.
void AddMappedQuad(unsigned texture, const TPoint corners[4], const TPoint uv[4], TColour colour,
                   const TWhiteTexel* white = nullptr);
// A quad in plain colour: uses the white texel of the latest draw call's texture if it has one,
// otherwise the 1x1 white texture.
void AddSolidQuad(const TPoint corners[4], TColour colour);
// Records a clear of the whole picture, in order with the draws around it.
void RecordClear(float r, float g, float b);
// Carries out what the frame has recorded so far on the GL context, so the picture holds it.
void Submit();
// Ends the frame's recording. True when it must be presented: the recorded frame has been drawn into
// the picture, only where it differs from the last one when little changed and pictureKept says the
// picture still holds the last frame. False when it would draw exactly what was last presented and
// nothing has touched the picture or the window since; the recording is then dropped unseen. `drawn`
// is set to the boxes of the picture the frame drew (the whole picture for a whole frame), which are
// all of the window that a present must bring up to date.
bool EndFrame(bool pictureKept, TBoxes& drawn);
// Paints what the frame has recorded so far on the CPU, as the picture would show it once carried out
// (SoftPicture), into `argb`, which is the picture's size; outside `boxes` it is all `background`. False
// when some of the frame has been carried out already, or it draws from textures whose texels are not
// kept or in ways the painter does not follow.
bool PaintPendingFrame(uint32_t* argb, int width, int height, uint32_t& background, std::vector<TBox>& boxes);
// Counts the frame's draw calls into the last frame's and starts again.
void EndFrameCount();

// For the warm-up, which draws what nobody sees: a quad in a blend mode of its own choosing whatever
// the draw state's, the 1x1 white texture, and the frame's counts to put back afterwards.
void AddQuadBlended(unsigned texture, int blend, const TPoint corners[4], float u0, float v0, float u1, float v1,
                    TColour colour);
unsigned WhiteTexture();
struct TFrameCounts { int drawCalls = 0, textures = 0; };
TFrameCounts FrameCounts();
void RestoreFrameCounts(const TFrameCounts& counts);
// Draws a pixel with each kind of texture and clears the picture again, so the rasteriser prepares
// its code for them now.
void WarmUp();

}  // namespace gfx
