// Draw state - the colour, alpha, blend mode, scale, rotation and font every drawing call reads, and
// the matrix built from scale and rotation.
#include "platform/Display.h"

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
