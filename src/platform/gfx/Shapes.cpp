// Shapes - rectangles and lines, drawn as solid quads that share the draw call of what surrounds them.
#include "platform/Shapes.h"

#include <algorithm>
#include <cmath>

#include "platform/gfx/DrawBatch.h"

void DrawRect(float x, float y, float w, float h)
{
    gfx::TPoint corners[4];
    gfx::RectCorners(x, y, 0.0f, 0.0f, w, h, corners);
    gfx::AddSolidQuad(corners, gfx::StateColour());
}

void DrawLine(float x1, float y1, float x2, float y2, int lastPixel)
{
    const TDrawState& s = GetDrawState();
    const gfx::TPoint end = gfx::Transform(s, x1, y1, x2 - x1, y2 - y1);
    // A one-pixel-wide quad through the pixel centres, stepped along the major axis like a classic
    // line routine: it covers max(|dx|, |dy|) pixels, one more when the last pixel is wanted.
    const float dx = end.x - x1, dy = end.y - y1;
    const float major = std::max(std::fabs(dx), std::fabs(dy));
    if (major == 0.0f && !lastPixel)
        return;
    const float cx1 = x1 + 0.5f, cy1 = y1 + 0.5f, cx2 = end.x + 0.5f, cy2 = end.y + 0.5f;
    float stepX = 1.0f, stepY = 0.0f;   // half a pixel along the major axis, per unit
    if (major > 0.0f) {
        stepX = dx / major;
        stepY = dy / major;
    }
    const bool xMajor = std::fabs(stepX) >= std::fabs(stepY);
    const float sideX = xMajor ? 0.0f : 0.5f, sideY = xMajor ? 0.5f : 0.0f;
    const float tail = lastPixel ? 0.5f : -0.5f;
    const float ax = cx1 - 0.5f * stepX, ay = cy1 - 0.5f * stepY;
    const float bx = cx2 + tail * stepX, by = cy2 + tail * stepY;
    const gfx::TPoint corners[4] = {
        {ax - sideX, ay - sideY}, {bx - sideX, by - sideY}, {bx + sideX, by + sideY}, {ax + sideX, ay + sideY}};
    gfx::AddSolidQuad(corners, gfx::StateColour());
}
