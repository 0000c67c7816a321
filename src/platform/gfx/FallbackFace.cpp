// FallbackFace - faces that lend an image font the glyphs its own face lacks, sized so that their
// capitals stand as tall as the font's.
#include "platform/gfx/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <utility>

namespace {

// A face's capital height as a share of its em: the top of its H, else what its OS/2 table says; 0 when
// neither is there.
double CapHeightPerEm(FT_Face face)
{
    if (face->units_per_EM == 0)
        return 0.0;
    if (FT_Load_Char(face, 'H', FT_LOAD_NO_SCALE) == 0 && face->glyph->metrics.horiBearingY > 0)
        return double(face->glyph->metrics.horiBearingY) / double(face->units_per_EM);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (!os2 || os2->version == 0xFFFF || os2->version < 2 || os2->sCapHeight <= 0)
        return 0.0;
    return double(os2->sCapHeight) / double(face->units_per_EM);
}

}  // namespace

bool AddFallbackFace(const TImageFontPtr& font, const std::string& path)
{
    FT_Library library = gfx::FreeTypeLibrary();
    if (!font || !font->face || !library)
        return false;
    TImageFont::TFallback fallback;
    if (!gfx::ReadFontBytes(path, fallback.fileBytes))
        return false;
    if (FT_New_Memory_Face(library, fallback.fileBytes.data(), FT_Long(fallback.fileBytes.size()), 0,
                           &fallback.face) != 0)
        return false;
    // Capitals of the same height, so a word of borrowed letters stands as tall as the font's own; a
    // face that does not say keeps the font's em.
    double pixels = double(font->face->size->metrics.y_ppem);
    const double mine = CapHeightPerEm(font->face), theirs = CapHeightPerEm(fallback.face);
    if (mine > 0.0 && theirs > 0.0)
        pixels *= mine / theirs;
    const bool sized = FT_IS_SCALABLE(fallback.face)
                           ? FT_Set_Char_Size(fallback.face, 0, FT_F26Dot6(pixels * 64.0 + 0.5), 72, 72) == 0
                           : gfx::ChooseFaceSize(fallback.face, int(pixels + 0.5));
    if (!sized) {
        FT_Done_Face(fallback.face);
        return false;
    }
    font->fallbacks.push_back(std::move(fallback));
    font->ForgetMissingGlyphs();
    return true;
}
