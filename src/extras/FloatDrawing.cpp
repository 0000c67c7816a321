// FloatDrawing - drawing at float positions: text glyph by glyph, parts of images, rectangle outlines.
#include "extras/FloatDrawing.h"

#include <cmath>

#include "platform/Platform.h"

int DrawImageRect(const TImagePtr& image, float x, float y, float w, float h, float sx, float sy, float sw,
                  float sh, int frame)
{
    DrawImageRegion(image, x, y, w, h, sx, sy, sw, sh, 0.0f, 0.0f, frame);
    return 0;
}

int DrawImagePart(const TImagePtr& image, float x, float y, float sx, float sy, float width, float height)
{
    DrawImageRegion(image, x, y, width, height, sx, sy, width, height, 0.0f, 0.0f, 0);
    return 0;
}

namespace {

int DrawTextGlyphByGlyph(const std::string& text, float x, float y, float spacing, bool snapX)
{
    const TDrawState& state = GetDrawState();
    // Float sums in DrawTextAt's order, so spacing 0 lands every glyph on the very same spot.
    float penX = x, penY = y;
    for (char32_t c : DecodeUtf8(text)) {
        const int advance = GlyphAdvance(c);
        if (advance < 0)
            continue;
        DrawGlyphAt(c, snapX ? std::floor(penX) : penX, penY);
        const float step = float(advance) + spacing;
        penX += step * state.ix;
        penY += step * state.jx;
    }
    return 0;
}

}  // namespace

int DrawTextTransformed(const std::string& text, float x, float y, float spacing)
{
    return DrawTextGlyphByGlyph(text, x, y, spacing, false);
}

int DrawTextTransformedSnapped(const std::string& text, float x, float y, float spacing)
{
    return DrawTextGlyphByGlyph(text, x, y, spacing, true);
}

int DrawRectOutlineF(float x, float y, float width, float height)
{
    const float right = x + width, bottom = y + height;
    // The order and the missing end pixels of DrawRectOutline: each line stops where the next begins.
    DrawLine(x, y, right, y, 0);
    DrawLine(right, y, right, bottom, 0);
    DrawLine(right, bottom, x, bottom, 0);
    DrawLine(x, bottom, x, y, 0);
    return 0;
}
