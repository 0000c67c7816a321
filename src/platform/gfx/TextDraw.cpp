// TextDraw - text drawn and measured in the current font (or the built-in one while none is selected):
// each line laid out into glyphs (TextLayout.h), each glyph a quad from the atlas in the copy of the
// size the draw state's scale calls for.
#include "platform/Font.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "platform/Display.h"
#include "platform/gfx/BuiltinFont.h"
#include "platform/gfx/DrawBatch.h"
#include "platform/gfx/DrawState.h"
#include "platform/gfx/FontFace.h"
#include "platform/gfx/GfxTesting.h"
#include "platform/gfx/TextLayout.h"
#include "platform/gfx/Texture.h"

using gfx::GLYPH_SIZES;
using gfx::TGlyph;

namespace {

// The copy of a glyph for text drawn through the draw state's matrix: the size a texture's nearest
// smaller level would give, from how many texels one pixel spans.
int GlyphSizeFor(const TDrawState& s)
{
    // Texels per pixel along the screen's axes are the columns of the matrix's inverse.
    const float det = std::fabs(s.ix * s.jy - s.iy * s.jx);
    if (!(det > 0.0f))
        return 0;
    const float span = std::max(std::hypot(s.jx, s.jy), std::hypot(s.ix, s.iy)) / det;
    const float level = std::log2(span);
    if (!(level > 0.5f))
        return 0;
    return std::min(GLYPH_SIZES - 1, int(std::ceil(level + 0.5f)) - 1);
}

// The font used while none is selected.
TImageFontPtr BuiltinFont()
{
    // Kept to the very end of the program, past the static destructors that may still measure text.
    static const TImageFontPtr* builtin = new TImageFontPtr([] {
        auto font = std::make_shared<TImageFont>();
        font->builtinScale = 2;
        font->ascender = gfx::BUILTIN_ASCENDER * font->builtinScale;
        font->height = gfx::BUILTIN_LINE * font->builtinScale;
        return font;
    }());
    return *builtin;
}

// The font DrawTextAt uses now: the selected one or the built-in one.
TImageFontPtr CurrentDrawFont()
{
    const TImageFontPtr& selected = GetDrawState().font;
    return selected ? selected : BuiltinFont();
}

// Tests' view of the text drawn, and the box of the glyphs of the line being drawn.
std::function<void(const std::string&, float, float, float, float)> textDrawnHook;
struct TInkBox {
    float left = 1e30f, top = 1e30f, right = -1e30f, bottom = -1e30f;
};

// Appends the quad of one glyph with the pen at (penX, penY), from its copy of the given size.
void AddGlyphQuad(TImageFont& font, TGlyph& glyph, int size, const TDrawState& s, gfx::TColour colour,
                  float penX, float penY, TInkBox* ink = nullptr, int dx = 0, int dy = 0)
{
    if (glyph.width <= 0 || !font.Place(glyph, size))
        return;
    const gfx::TAtlasPlace& at = glyph.place[size];
    const float scale = 1.0f / float(1 << size);
    const float gx = float(glyph.offsetX + dx), gy = float(glyph.offsetY + dy);
    const float gw = float(glyph.width), gh = float(glyph.height);
    const gfx::TPoint corners[4] = {
        gfx::Transform(s, penX, penY, gx, gy), gfx::Transform(s, penX, penY, gx + gw, gy),
        gfx::Transform(s, penX, penY, gx + gw, gy + gh), gfx::Transform(s, penX, penY, gx, gy + gh)};
    gfx::AddQuad(at.texture, corners, at.U(0.0f), at.V(0.0f), at.U(gw * scale), at.V(gh * scale), colour,
                 at.hasWhite ? &at.white : nullptr);
    if (ink)
        for (const gfx::TPoint& p : corners) {
            ink->left = std::min(ink->left, p.x);
            ink->right = std::max(ink->right, p.x);
            ink->top = std::min(ink->top, p.y);
            ink->bottom = std::max(ink->bottom, p.y);
        }
}

}  // namespace

void DrawTextAt(const std::string& text, float x, float y)
{
    if (gfx::DisplayGeneration() == 0 || text.empty())
        return;
    const TImageFontPtr font = CurrentDrawFont();
    const TDrawState& s = GetDrawState();
    const gfx::TColour colour = gfx::StateColour();
    const int size = font->smooth ? GlyphSizeFor(s) : 0;
    float penX = x, penY = y;
    TInkBox ink;
    TInkBox* watched = textDrawnHook ? &ink : nullptr;
    for (const gfx::TPlacedGlyph& placed : gfx::LayOutLine(*font, text)) {
        AddGlyphQuad(*font, *placed.glyph, size, s, colour, penX, penY, watched, placed.dx, placed.dy);
        penX += placed.advance * s.ix;
        penY += placed.advance * s.jx;
    }
    if (watched && ink.left <= ink.right)
        textDrawnHook(text, ink.left, ink.top, ink.right, ink.bottom);
}

void SetTextDrawnHook(std::function<void(const std::string&, float, float, float, float)> hook)
{
    textDrawnHook = std::move(hook);
}

int GlyphAdvance(char32_t c)
{
    const TGlyph& glyph = CurrentDrawFont()->Find(c);
    return glyph.exists ? glyph.advance : -1;
}

void DrawGlyphAt(char32_t c, float x, float y)
{
    if (gfx::DisplayGeneration() == 0)
        return;
    const TImageFontPtr font = CurrentDrawFont();
    TGlyph& glyph = font->Find(c);
    if (!glyph.exists)
        return;
    const TDrawState& s = GetDrawState();
    AddGlyphQuad(*font, glyph, font->smooth ? GlyphSizeFor(s) : 0, s, gfx::StateColour(), x, y);
}

int MeasureTextWidth(const std::string& text)
{
    const TImageFontPtr font = CurrentDrawFont();
    int width = 0;
    for (const gfx::TPlacedGlyph& placed : gfx::LayOutLine(*font, text))
        width += placed.advance;
    return width;
}

// A line box is as tall as its font whatever it holds, so the text is not looked at.
int MeasureTextHeight(const std::string& /*text*/) { return CurrentDrawFont()->height; }

int FontHeight(const TImageFontPtr& font) { return font ? font->height : BuiltinFont()->height; }
int FontAscender(const TImageFontPtr& font) { return font ? font->ascender : BuiltinFont()->ascender; }
