// Shaping - a line of text as the glyphs that draw it, in visual order (see Shaping.h).
//
// The line is cut into runs that one HarfBuzz call can shape: characters of one embedding level (the
// bidirectional algorithm's, from FriBidi) drawn from one face. Each run is shaped with the whole line
// as its context, so a letter at a run's edge still joins as its neighbours ask. The runs are then put
// in visual order by the algorithm's rule L2 (from the highest level down, every stretch of runs at that
// level or above is reversed); HarfBuzz already hands a right-to-left run's glyphs left to right.
#include "platform/gfx/Shaping.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <fribidi.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>

#include "platform/Text.h"

namespace gfx {

namespace {

struct TRun {
    size_t start = 0, length = 0;   // in characters
    int face = 0;
    FriBidiLevel level = 0;
    std::vector<TShapedGlyph> glyphs;
    int width = 0;
};

bool ShapedScript(char32_t c)
{
    return (c >= 0x0590 && c <= 0x08FF)      // Hebrew, Arabic, Syriac, Thaana, N'Ko, Samaritan, Mandaic
           || (c >= 0x0900 && c <= 0x0DFF)   // the Indic scripts, Sinhala
           || (c >= 0x0E00 && c <= 0x0FFF)   // Thai, Lao, Tibetan
           || (c >= 0x1000 && c <= 0x109F)   // Myanmar
           || (c >= 0x1780 && c <= 0x17FF)   // Khmer
           || (c >= 0x200C && c <= 0x200F)   // joiners, directional marks
           || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069)   // embeddings, isolates
           || (c >= 0xA8E0 && c <= 0xA8FF)   // Devanagari Extended
           || (c >= 0xFB1D && c <= 0xFDFF)   // Hebrew and Arabic presentation forms
           || (c >= 0xFE70 && c <= 0xFEFF);
}

// A character that belongs with the letter before it rather than to a face of its own.
bool Clings(char32_t c)
{
    const hb_unicode_general_category_t category = hb_unicode_general_category(hb_unicode_funcs_get_default(), c);
    return category == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
           category == HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK ||
           category == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK || c == 0x200C || c == 0x200D;
}

int FaceFor(char32_t c, const std::vector<FT_Face>& faces)
{
    for (size_t k = 0; k < faces.size(); ++k)
        if (FT_Get_Char_Index(faces[k], FT_ULong(c)) != 0)
            return int(k);
    return 0;
}

void Shape(TRun& run, const std::vector<uint32_t>& text, const std::vector<size_t>& offsets, hb_font_t* font)
{
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf32(buffer, text.data(), int(text.size()), unsigned(run.start), int(run.length));
    hb_buffer_set_direction(buffer, (run.level & 1) ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    // The script from the run's own letters; the language is left to the script's defaults.
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(font, buffer, nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* position = hb_buffer_get_glyph_positions(buffer, &count);
    int pen = 0;
    for (unsigned i = 0; i < count; ++i) {
        TShapedGlyph glyph;
        glyph.face = run.face;
        glyph.glyph = info[i].codepoint;
        glyph.dx = int(std::lround(position[i].x_offset / 64.0));
        glyph.dy = -int(std::lround(position[i].y_offset / 64.0));
        glyph.x = pen + glyph.dx;
        glyph.cluster = offsets[info[i].cluster];
        // Whole pixels, cut as the character-by-character drawing cuts a glyph's advance.
        glyph.advance = int(position[i].x_advance >> 6);
        pen += glyph.advance;
        run.glyphs.push_back(glyph);
    }
    run.width = pen;
    hb_buffer_destroy(buffer);
}

}  // namespace

bool NeedsShaping(const std::string& utf8)
{
    for (size_t i = 0; i < utf8.size();)
        if (ShapedScript(NextUtf8(utf8, i)))
            return true;
    return false;
}

TShapedLine ShapeLine(const std::string& utf8, const std::vector<FT_Face>& faces, TLineDirection direction)
{
    TShapedLine line;
    if (utf8.empty() || faces.empty())
        return line;
    std::vector<uint32_t> text;
    std::vector<size_t> offsets;
    for (size_t i = 0; i < utf8.size();) {
        offsets.push_back(i);
        text.push_back(NextUtf8(utf8, i));
    }
    const FriBidiStrIndex length = FriBidiStrIndex(text.size());

    std::vector<FriBidiCharType> types(text.size());
    std::vector<FriBidiBracketType> brackets(text.size());
    std::vector<FriBidiLevel> levels(text.size());
    fribidi_get_bidi_types(text.data(), length, types.data());
    fribidi_get_bracket_types(text.data(), length, types.data(), brackets.data());
    FriBidiParType base = direction == TLineDirection::RIGHT_TO_LEFT   ? FRIBIDI_PAR_RTL
                          : direction == TLineDirection::LEFT_TO_RIGHT ? FRIBIDI_PAR_LTR
                                                                        : FRIBIDI_PAR_ON;
    if (!fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), length, &base, levels.data()))
        std::fill(levels.begin(), levels.end(), FriBidiLevel(0));
    line.rightToLeft = FRIBIDI_IS_RTL(base);

    // Runs of one level and one face, in logical order.
    std::vector<TRun> runs;
    int face = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == 0 || !Clings(text[i]))
            face = FaceFor(text[i], faces);
        if (runs.empty() || runs.back().face != face || runs.back().level != levels[i])
            runs.push_back({i, 0, face, levels[i], {}, 0});
        ++runs.back().length;
    }

    std::vector<hb_font_t*> fonts(faces.size(), nullptr);
    for (TRun& run : runs) {
        if (!fonts[size_t(run.face)])
            fonts[size_t(run.face)] = hb_ft_font_create_referenced(faces[size_t(run.face)]);
        Shape(run, text, offsets, fonts[size_t(run.face)]);
    }
    for (hb_font_t* font : fonts)
        if (font)
            hb_font_destroy(font);

    // Rule L2, on whole runs: a run never mixes levels.
    FriBidiLevel highest = 0, lowestOdd = 255;
    for (const TRun& run : runs) {
        highest = std::max(highest, run.level);
        if (run.level & 1)
            lowestOdd = std::min(lowestOdd, run.level);
    }
    for (int level = highest; level >= int(lowestOdd) && level > 0; --level)
        for (size_t i = 0; i < runs.size();) {
            if (runs[i].level < level) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < runs.size() && runs[end].level >= level)
                ++end;
            std::reverse(runs.begin() + ptrdiff_t(i), runs.begin() + ptrdiff_t(end));
            i = end;
        }

    for (const TRun& run : runs) {
        for (TShapedGlyph glyph : run.glyphs) {
            glyph.x += line.width;
            line.glyphs.push_back(glyph);
        }
        line.width += run.width;
    }
    return line;
}

TShapedLine ShapeLineWithFiles(const std::string& utf8, const std::vector<std::string>& paths, int pixels,
                               TLineDirection direction)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return {};
    std::vector<FT_Face> faces;
    bool good = true;
    for (const std::string& path : paths) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels)) != 0) {
            good = false;
            break;
        }
        faces.push_back(face);
    }
    TShapedLine line = good ? ShapeLine(utf8, faces, direction) : TShapedLine();
    for (FT_Face face : faces)
        FT_Done_Face(face);
    FT_Done_FreeType(library);
    return line;
}

}  // namespace gfx
