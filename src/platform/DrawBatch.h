// DrawBatch - the drawing layer's insides: the quad batch, textures and the display generation.
// Only the platform's own .cpp files include this.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Display.h"

class TImageFont;

namespace gfx {

struct TPoint { float x, y; };
struct TColour { uint8_t r, g, b, a; };

// Changes every time a display opens and is 0 while none is open. A texture made under one
// generation is dead in every other, because the GL context that owned it is gone.
uint64_t DisplayGeneration();

// The draw state's colour and alpha, clamped and turned into bytes the way every quad takes them.
TColour StateColour();

// A point (lx, ly) local to an anchor (tx, ty), through the draw state's matrix.
inline TPoint Transform(const TDrawState& s, float tx, float ty, float lx, float ly)
{
    return {tx + lx * s.ix + ly * s.iy, ty + lx * s.jx + ly * s.jy};
}

// Made and dropped with the GL context; false when the shader or buffers cannot be made.
bool OpenBatch(int gameWidth, int gameHeight);
void CloseBatch();

// A spot of a texture that is plain white (the corner block of an atlas page), so solid shapes drawn
// next to text and pictures can share their draw call.
struct TWhiteTexel { float u, v; };

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
// the picture. False when it would draw exactly what was last presented and nothing has touched the
// picture or the window since; the recording is then dropped unseen.
bool EndFrame();
// What the window shows can no longer be trusted (exposed, resized, read back): present the next frame.
void InvalidatePresented();
// Draws a pixel with each kind of texture and clears the picture again, so the rasteriser prepares
// its code for them now.
void WarmUp();
// Counts the frame's draw calls into the last frame's and starts again.
void EndFrameCount();

// Texture helpers. Filtered = linear filtering; mipmapped adds a whole chain, which UploadArgb makes.
unsigned CreateTexture(int width, int height, bool filtered, bool mipmapped);
// Uploads a whole ARGB frame, flushing first when pending quads use it.
void UploadArgb(unsigned texture, int width, int height, const uint32_t* argb, bool mipmapped);
// Uploads ARGB texels into a rectangle of a texture without smaller levels; no flush: the caller knows
// whether pending quads sample that rectangle.
void UploadArgbRect(unsigned texture, int x, int y, int w, int h, const uint32_t* argb);
// The next smaller level of w x h ARGB texels, each a rounded average of a 2 x 2 block (the last row or
// column repeats when a side is odd).
void HalveTexels(const uint32_t* source, int w, int h, uint32_t* out);
// Deletes a texture of the given generation, if that generation's display is still open.
void ReleaseTexture(unsigned texture, uint64_t generation);

// The font used while none is selected.
std::shared_ptr<TImageFont> BuiltinFont();

}  // namespace gfx
