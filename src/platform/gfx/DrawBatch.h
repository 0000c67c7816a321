// DrawBatch - the quad batch: every drawing call of the platform becomes quads recorded here, merged
// into as few draw calls as the frame allows and carried out at the end of the frame. Only the
// platform's own .cpp files include this.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Display.h"
#include "platform/gfx/DrawCounts.h"
#include "platform/gfx/DrawState.h"
#include "platform/gfx/Recording.h"

namespace gfx {

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

// For the warm-up, which draws what nobody sees: a quad in a blend mode of its own choosing whatever
// the draw state's, and the 1x1 white texture.
void AddQuadBlended(unsigned texture, int blend, const TPoint corners[4], float u0, float v0, float u1, float v1,
                    TColour colour);
unsigned WhiteTexture();
// Draws a pixel with each kind of texture and clears the picture again, so the rasteriser prepares
// its code for them now.
void WarmUp();

}  // namespace gfx
