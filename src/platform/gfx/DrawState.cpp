// Draw state - the colour, alpha, blend mode, scale, rotation and font every drawing call reads, and
// the matrix built from scale and rotation; and the colour and corners every quad takes from them.
#include "platform/gfx/DrawState.h"

#include <algorithm>
#include <cmath>

namespace {

TDrawState drawState;

// Rebuilds the matrix from rotation and scale; with y downwards a positive angle turns clockwise.
void RebuildMatrix()
{
    const double radians = drawState.rotation * 3.14159265358979323846 / 180.0;
    const float c = static_cast<float>(std::cos(radians));
    const float s = static_cast<float>(std::sin(radians));
    drawState.ix = c * drawState.scaleX;
    drawState.iy = -s * drawState.scaleY;
    drawState.jx = s * drawState.scaleX;
    drawState.jy = c * drawState.scaleY;
}

}  // namespace

void ResetDrawState() { drawState = TDrawState{}; }

void SetColor(int r, int g, int b)
{
    drawState.r = r;
    drawState.g = g;
    drawState.b = b;
}

void SetAlpha(float alpha) { drawState.alpha = alpha; }
void SetBlend(int mode) { drawState.blend = mode; }

void SetDrawScale(float sx, float sy)
{
    drawState.scaleX = sx;
    drawState.scaleY = sy;
    RebuildMatrix();
}

void SetDrawRotation(float degrees)
{
    drawState.rotation = degrees;
    RebuildMatrix();
}

void SetDrawFont(const std::shared_ptr<TImageFont>& font) { drawState.font = font; }
const TDrawState& GetDrawState() { return drawState; }

void SetClsColor(int r, int g, int b)
{
    drawState.clsR = r;
    drawState.clsG = g;
    drawState.clsB = b;
}

namespace gfx {

TColour StateColour()
{
    const TDrawState& s = GetDrawState();
    auto byte = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    // Alpha is clamped first, then scaled and truncated. NaN goes to 0 rather than anywhere.
    float a = s.alpha;
    if (!(a > 0.0f))
        a = 0.0f;
    if (a > 1.0f)
        a = 1.0f;
    return {byte(s.r), byte(s.g), byte(s.b), static_cast<uint8_t>(a * 255.0f)};
}

void RectCorners(float x, float y, float left, float top, float w, float h, TPoint out[4])
{
    const TDrawState& s = GetDrawState();
    out[0] = Transform(s, x, y, left, top);
    out[1] = Transform(s, x, y, left + w, top);
    out[2] = Transform(s, x, y, left + w, top + h);
    out[3] = Transform(s, x, y, left, top + h);
}

}  // namespace gfx
