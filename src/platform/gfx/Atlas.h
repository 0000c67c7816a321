// Atlas - shared texture pages that glyphs and small pictures are packed into, so the text, bars and
// effect pictures of a frame all sample one texture and go out in one draw call, in whatever order
// they overlap. Only the platform's own .cpp files include this.
#pragma once

#include <cstdint>

#include "platform/gfx/Texture.h"

namespace gfx {

// Smooth pages filter linearly; sharp pages take the nearest texel. Neither has smaller levels: a
// software rasteriser works out a level for every pixel it samples from a texture that has them,
// which made the large effects of a wrong answer cost a third more. Fonts keep shrunk copies of their
// glyphs as pictures of their own instead.
enum class TAtlasKind { Smooth, Sharp };

// What surrounds a picture on its page. Edge: copies of its edge texels, so filtering at the picture's
// border reads what a texture of its own clamped at the edge would. Clear: white at no alpha, what a
// glyph's coverage is outside its box.
enum class TGutter { Edge, Clear };

// Where a picture lives on a page of the open display, and how texel positions become texture coordinates.
struct TAtlasPlace {
    unsigned texture = 0;          // 0 while not placed
    uint64_t generation = 0;       // the display the page belongs to
    int page = -1;
    TAtlasKind kind = TAtlasKind::Smooth;
    int x = 0, y = 0;              // the picture's top-left texel on the page
    int width = 0, height = 0;
    int regionX = 0, regionY = 0, regionWidth = 0, regionHeight = 0;   // what it owns, gutter included
    float uScale = 0.0f, vScale = 0.0f;                                // one over the page's size
    bool hasWhite = false;         // the page has a white block that solid quads may use
    TWhiteTexel white{0.0f, 0.0f};

    // On a page of the display that is open now.
    bool Live() const;
    float U(float texelX) const { return (float(x) + texelX) * uScale; }
    float V(float texelY) const { return (float(y) + texelY) * vScale; }
};

// Finds room for a w x h picture of 0xAARRGGBB texels and uploads it with its gutter.
// False with no display open, or when the picture is larger than a texture may be.
bool PlaceInAtlas(TAtlasKind kind, const uint32_t* argb, int w, int h, TGutter gutter, TAtlasPlace& place);
// Uploads new texels for a placed picture of the same size; quads recorded before still show the old ones.
void RewriteInAtlas(const TAtlasPlace& place, const uint32_t* argb, TGutter gutter);
// Gives the room back. Quads recorded with it are drawn first, since another picture may take its place.
void ReleaseFromAtlas(TAtlasPlace& place);
// While one lives, pages made meanwhile keep their texels in memory and go to GL in one upload of the
// rows written when it ends, rather than one upload per picture (a font's glyphs at every size are a few
// hundred). Nothing may draw while one lives: quads sampling such a page would miss its texels.
class TAtlasBatch {
public:
    TAtlasBatch();
    ~TAtlasBatch();
    TAtlasBatch(const TAtlasBatch&) = delete;
    TAtlasBatch& operator=(const TAtlasBatch&) = delete;
};
// Forgets every page; called as the display's GL context goes.
void CloseAtlas();
// Pages with a texture on the open display, for tests.
int AtlasPageCount();

}  // namespace gfx
