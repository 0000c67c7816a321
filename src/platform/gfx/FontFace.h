// FontFace - the inside of an image font, shared by the files that make one: the face and its fallbacks
// (FontLoad.cpp, FallbackFace.cpp), the glyph cache and its atlas places (GlyphCache.cpp), and the line
// laid out into glyphs (TextLayout.cpp) that drawing and measuring (TextDraw.cpp) go through. Only the
// platform's own .cpp files include this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Font.h"
#include "platform/gfx/Atlas.h"

// FreeType's handle of a face, as its own header declares it.
typedef struct FT_FaceRec_* FT_Face;
typedef struct FT_LibraryRec_* FT_Library;

namespace gfx {

// A smooth font keeps each glyph at full size and at a half, a quarter and an eighth, box-filtered,
// and text drawn shrunk uses the copy nearest its size, as a texture's smaller levels would serve it.
// Copies chosen per line of text rather than levels per pixel keep the atlas pages free of smaller
// levels, which a software rasteriser pays for on every pixel drawn from them.
constexpr int GLYPH_SIZES = 4;

struct TGlyph {
    bool exists = false;
    int advance = 0;
    int offsetX = 0, offsetY = 0;
    int width = 0, height = 0;
    size_t coverage = 0;             // where its width x height coverage starts in the font's store
    TAtlasPlace place[GLYPH_SIZES];  // where the open display's atlas holds it, by size
};

// A glyph's copy of one size as the atlas takes it.
struct TGlyphCopy {
    std::vector<uint32_t> texels;
    int width = 0, height = 0;
};

// One made ahead of its placing: where its texels start in the font's store of them. Width 0: none.
struct TMadeCopy {
    size_t offset = 0;
    int width = 0, height = 0;
};

// FreeType, opened on first use with the modules this build reads fonts with; null when it cannot be.
FT_Library FreeTypeLibrary();
// Opens FreeType with this build's modules: every one FreeType offers on the desktop, only those an
// OpenType font needs in the browser (FreeTypeModules.cpp or web/FreeTypeModulesWeb.cpp).
int OpenFreeType(FT_Library* library);
// Reads a font file whole, within the bound every font file is read with; false when it cannot be read
// or is empty.
bool ReadFontBytes(const std::string& path, std::vector<uint8_t>& bytes);
// Sets the face to the next size it accepts at or below `size`; false when it accepts none.
bool ChooseFaceSize(FT_Face face, int size);

}  // namespace gfx

class TImageFont {
public:
    TImageFont() = default;
    ~TImageFont();
    TImageFont(const TImageFont&) = delete;
    TImageFont& operator=(const TImageFont&) = delete;

    int height = 0;
    int ascender = 0;
    bool smooth = false;
    int builtinScale = 0;         // non-zero for the built-in font: its pixels per bitmap dot
    FT_Face face = nullptr;
    std::vector<uint8_t> fileBytes;   // FreeType reads the face from here for as long as the font lives
    // Faces that lend the glyphs this one lacks, asked in turn, each sized to this face's capitals.
    struct TFallback {
        FT_Face face = nullptr;
        std::vector<uint8_t> fileBytes;
    };
    std::vector<TFallback> fallbacks;

    gfx::TGlyph& Find(char32_t c);
    // A glyph by its index in one of the faces (0 this one, k the k-th fallback), as shaping names it.
    // Kept beside the characters' glyphs under keys no character has (above U+10FFFF).
    gfx::TGlyph& FindShaped(int faceNumber, unsigned index);
    // This face and its fallbacks, in the order a character is looked for in them.
    std::vector<FT_Face> Faces() const;
    // Glyphs looked for before a fallback came are looked for again.
    void ForgetMissingGlyphs();
    // Rasterises the printable ASCII glyphs now, so no frame pays for a glyph of ordinary text, and
    // makes their copies of every size for the atlas, so placing them is only copying.
    void RasterisePrintable();
    // With a display open, places the printable ASCII glyphs in the atlas, so no frame pays for placing
    // a glyph of ordinary text on its first draw.
    void Prepare();
    // Makes sure the glyph's copy of the given size is on a page of the open display; false when none is open.
    bool Place(gfx::TGlyph& glyph, int size);

private:
    gfx::TGlyph Rasterise(char32_t c);
    // The glyph's copy of the given size, as the atlas takes it.
    void MakeCopy(const gfx::TGlyph& glyph, int size, gfx::TGlyphCopy& copy) const;

    std::unordered_map<char32_t, gfx::TGlyph> glyphs;
    gfx::TGlyph ascii[128];
    bool asciiKnown[128] = {};
    // Every glyph's coverage, one after another: the atlas keeps no copy, and a new display needs them again.
    std::vector<uint8_t> coverage;
    // The printable glyphs' copies, by character and size, until they are placed, and their texels in
    // one block, which goes back to the system whole once they are.
    std::vector<gfx::TMadeCopy> madeCopies;
    std::vector<uint32_t> madeTexels;
};
