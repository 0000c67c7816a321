// DrawCounts - counting the batch's draw calls, textures and partial frames, frame by frame.
#include "platform/gfx/DrawCounts.h"
#include "platform/gfx/GfxTesting.h"

#include <cstdint>

namespace gfx {
namespace {

constexpr int MAX_FRAME_TEXTURES = 64;

struct TCounts {
    int drawCallsThisFrame = 0;
    int drawCallsLastFrame = 0;
    unsigned frameTextures[MAX_FRAME_TEXTURES] = {};
    int frameTextureCount = 0;
    int texturesLastFrame = 0;
    uint64_t partialFrames = 0;
    uint64_t drawnArea = 0;
} counts;

}  // namespace

void CountDrawCall(unsigned texture)
{
    ++counts.drawCallsThisFrame;
    for (int i = 0; i < counts.frameTextureCount; ++i)
        if (counts.frameTextures[i] == texture)
            return;
    if (counts.frameTextureCount < MAX_FRAME_TEXTURES)
        counts.frameTextures[counts.frameTextureCount++] = texture;
}

void CountPartialFrame() { ++counts.partialFrames; }
void CountDrawnArea(int pixels) { counts.drawnArea += uint64_t(pixels); }

void EndFrameCount()
{
    counts.drawCallsLastFrame = counts.drawCallsThisFrame;
    counts.drawCallsThisFrame = 0;
    counts.texturesLastFrame = counts.frameTextureCount;
    counts.frameTextureCount = 0;
}

void ResetFrameCounts()
{
    counts.drawCallsThisFrame = counts.drawCallsLastFrame = 0;
    counts.frameTextureCount = counts.texturesLastFrame = 0;
}

TFrameCounts FrameCounts() { return {counts.drawCallsThisFrame, counts.frameTextureCount}; }

void RestoreFrameCounts(const TFrameCounts& frame)
{
    counts.drawCallsThisFrame = frame.drawCalls;
    counts.frameTextureCount = frame.textures;
}

}  // namespace gfx

int DistinctTexturesLastFrame() { return gfx::counts.texturesLastFrame; }
int DrawCallsThisFrame() { return gfx::counts.drawCallsThisFrame; }
int DrawCallsLastFrame() { return gfx::counts.drawCallsLastFrame; }
uint64_t PartialFrameCount() { return gfx::counts.partialFrames; }
uint64_t DrawnAreaCount() { return gfx::counts.drawnArea; }
