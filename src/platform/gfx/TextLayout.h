// TextLayout - where a line of text becomes positioned glyphs: the one step that drawing and measuring
// both go through, so whatever a line's script needs (shaping, ordering) happens in one place and the
// width measured is always the width drawn. Only the platform's own .cpp files include this.
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/FontFace.h"

namespace gfx {

// One glyph of a laid-out line: the glyph to draw, and how far the pen moves after it, in unscaled
// whole pixels along the line.
struct TPlacedGlyph {
    TGlyph* glyph;
    int advance;
    int dx = 0, dy = 0;   // its offset from the pen, as shaping places a mark over its letter
};

// The glyphs of a UTF-8 line in the font, in the order they are drawn from the pen's start, each with
// its advance; characters the font has no glyph for (in its face, its fallbacks or the built-in bitmaps)
// are left out and move nothing. A line of a script that joins, reorders or runs right to left is shaped
// (Shaping.h) and its glyphs come in visual order. The list is kept for the calling thread until its
// next call.
const std::vector<TPlacedGlyph>& LayOutLine(TImageFont& font, const std::string& line);

}  // namespace gfx
