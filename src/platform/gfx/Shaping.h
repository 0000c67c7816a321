// Shaping - a line of text as the glyphs that draw it, in the order they stand on the screen: FriBidi
// orders the line's runs (the Unicode bidirectional algorithm), HarfBuzz shapes each run with the face
// that has its letters (Arabic's joined forms, Devanagari's conjuncts and reordered vowel signs).
//
// Lines of the scripts that are written a character at a time (Latin, Cyrillic, Greek, Chinese,
// Japanese) need none of it and keep the character-by-character drawing; NeedsShaping tells which.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

typedef struct FT_FaceRec_* FT_Face;

namespace gfx {

struct TShapedGlyph {
    int face = 0;           // index into the faces the line was shaped with
    unsigned glyph = 0;     // that face's glyph index
    int x = 0;              // where the glyph's origin stands from the line's start, its offset included
    int dx = 0, dy = 0;     // its offset from the pen (a mark's over its letter), y downwards
    int advance = 0;        // how far the pen moves after it, whole pixels
    size_t cluster = 0;     // byte offset in the line of the first character it draws
};

struct TShapedLine {
    std::vector<TShapedGlyph> glyphs;   // left to right as drawn
    int width = 0;                      // sum of the advances, whole pixels each
    bool rightToLeft = false;           // the paragraph's direction: such a line aligns to the right
};

// The paragraph's direction: from its first letter (the bidirectional algorithm's own rule), or given.
enum class TLineDirection { FROM_TEXT, LEFT_TO_RIGHT, RIGHT_TO_LEFT };

// True when the line has a letter of a right-to-left script or of one whose letters join or reorder
// (Hebrew, Arabic, Syriac, Thaana, N'Ko, the Indic scripts, Thai, Lao, Tibetan, Myanmar, Khmer), or a
// joiner or a directional mark.
bool NeedsShaping(const std::string& utf8);

// The line's glyphs from `faces` (sized already): each letter from the first face that has it, a mark or
// a joiner from its letter's. Advances are whole pixels, as the character-by-character drawing has them.
TShapedLine ShapeLine(const std::string& utf8, const std::vector<FT_Face>& faces,
                      TLineDirection direction = TLineDirection::FROM_TEXT);

// For tests: the line shaped with the font files given, in that order, each at `pixels` per em. Empty
// when a file is not a font.
TShapedLine ShapeLineWithFiles(const std::string& utf8, const std::vector<std::string>& paths, int pixels,
                               TLineDirection direction = TLineDirection::FROM_TEXT);

}  // namespace gfx
