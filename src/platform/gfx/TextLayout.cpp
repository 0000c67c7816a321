// TextLayout - a line of text into positioned glyphs. A line of the scripts written a character at a
// time is one glyph per character with the face's own advance, in the order of the text; a line that
// needs shaping or reordering for its script is shaped (Shaping.h), and drawing and measuring follow it
// unchanged.
#include "platform/gfx/TextLayout.h"

#include "platform/Text.h"
#include "platform/gfx/Shaping.h"

const std::vector<gfx::TPlacedGlyph>& gfx::LayOutLine(TImageFont& font, const std::string& line)
{
    // Kept between calls so that a frame's text allocates nothing once the longest line has been seen.
    thread_local std::vector<TPlacedGlyph> placed;
    placed.clear();
    if (font.face && !font.builtinScale && NeedsShaping(line)) {
        for (const TShapedGlyph& shaped : ShapeLine(line, font.Faces()).glyphs) {
            TGlyph& glyph = font.FindShaped(shaped.face, shaped.glyph);
            if (glyph.exists)
                placed.push_back({&glyph, shaped.advance, shaped.dx, shaped.dy});
        }
        return placed;
    }
    for (size_t i = 0; i < line.size();) {
        TGlyph& glyph = font.Find(NextUtf8(line, i));
        if (glyph.exists)
            placed.push_back({&glyph, glyph.advance});
    }
    return placed;
}
