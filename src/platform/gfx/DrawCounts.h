// DrawCounts - the draw calls and distinct textures of the frame being recorded and of the last one, and
// the frames drawn only in part: what tests and benchmarks read to see that batching holds. Only the
// platform's own .cpp files include this.
#pragma once

namespace gfx {

// A new draw call of the frame, with `texture`.
void CountDrawCall(unsigned texture);
// A frame presented that was drawn only where it changed.
void CountPartialFrame();
// The pixels a presented frame drew: its changed boxes, or the whole picture.
void CountDrawnArea(int pixels);
// Counts the frame's draw calls into the last frame's and starts again.
void EndFrameCount();
// All counts of frames back to zero, as a display opens.
void ResetFrameCounts();

// The frame's counts so far, for the warm-up to put back after its own draws.
struct TFrameCounts { int drawCalls = 0, textures = 0; };
TFrameCounts FrameCounts();
void RestoreFrameCounts(const TFrameCounts& counts);

}  // namespace gfx
