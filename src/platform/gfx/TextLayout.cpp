// TextLayout - a line of text into positioned glyphs. Today each character is one glyph with the
// face's own advance, in the order of the text; a line that needs shaping or reordering for its script
// is laid out here, and drawing and measuring follow it unchanged.
#include "platform/gfx/TextLayout.h"

#include "platform/Text.h"

const std::vector<gfx::TPlacedGlyph>& gfx::LayOutLine(TImageFont& font, const std::string& line)
{
    // Kept between calls so that a frame's text allocates nothing once the longest line has been seen.
    thread_local std::vector<TPlacedGlyph> placed;
    placed.clear();
    for (size_t i = 0; i < line.size();) {
        TGlyph& glyph = font.Find(NextUtf8(line, i));
        if (glyph.exists)
            placed.push_back({&glyph, glyph.advance});
    }
    return placed;
}
