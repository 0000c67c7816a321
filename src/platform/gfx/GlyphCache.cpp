// GlyphCache - an image font's glyphs: rasterised once, on first use (from the face, a fallback face or
// the built-in bitmaps), kept in memory, and placed in the open display's atlas in the copies of each
// size the font draws with.
#include "platform/gfx/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <atomic>
#include <functional>
#include <utility>

#include "platform/gfx/BuiltinFont.h"
#include "platform/gfx/Texture.h"

using gfx::GLYPH_SIZES;
using gfx::TGlyph;
using gfx::TGlyphCopy;
using gfx::TMadeCopy;

namespace {

// Faces up to this line height have their printable ASCII glyphs made when they load.
constexpr int PREPARED_MAX_HEIGHT = 100;

// Counted on the preload thread too.
std::atomic<uint64_t> glyphsRasterised{0};

}  // namespace

TImageFont::~TImageFont()
{
    for (TGlyph& glyph : ascii)
        for (gfx::TAtlasPlace& place : glyph.place)
            gfx::ReleaseFromAtlas(place);
    for (auto& [c, glyph] : glyphs)
        for (gfx::TAtlasPlace& place : glyph.place)
            gfx::ReleaseFromAtlas(place);
    for (TFallback& fallback : fallbacks)
        FT_Done_Face(fallback.face);
    if (face)
        FT_Done_Face(face);
}

void TImageFont::ForgetMissingGlyphs()
{
    for (auto it = glyphs.begin(); it != glyphs.end();)
        it = it->second.exists ? std::next(it) : glyphs.erase(it);
    for (int c = 0; c < 128; ++c)
        asciiKnown[c] = asciiKnown[c] && ascii[c].exists;
}

TGlyph& TImageFont::Find(char32_t c)
{
    if (c < 128) {
        if (!asciiKnown[c]) {
            ascii[c] = Rasterise(c);
            asciiKnown[c] = true;
        }
        return ascii[c];
    }
    auto it = glyphs.find(c);
    if (it == glyphs.end())
        it = glyphs.emplace(c, Rasterise(c)).first;
    return it->second;
}

namespace {

// A shaped glyph's key: the top bit set, the face's number in the next seven, its index in the rest.
constexpr char32_t SHAPED_KEY = 0x80000000u;

}  // namespace

TGlyph& TImageFont::FindShaped(int faceNumber, unsigned index)
{
    return Find(SHAPED_KEY | (char32_t(faceNumber & 0x7F) << 24) | (index & 0xFFFFFFu));
}

std::vector<FT_Face> TImageFont::Faces() const
{
    std::vector<FT_Face> faces{face};
    for (const TFallback& fallback : fallbacks)
        faces.push_back(fallback.face);
    return faces;
}

void TImageFont::RasterisePrintable()
{
    // Text sizes fill a page or two; a poster-sized face would fill many pages with glyphs it may never
    // draw, so those stay on demand.
    if (height > PREPARED_MAX_HEIGHT)
        return;
    for (char32_t c = 0x20; c < 0x7F; ++c)
        Find(c);
    // What Prepare places: on the preload thread these are made while the window is, not after it.
    const int sizes = smooth ? GLYPH_SIZES : 1;
    madeCopies.assign(size_t(0x7F - 0x20) * GLYPH_SIZES, TMadeCopy{});
    TGlyphCopy copy;
    for (char32_t c = 0x20; c < 0x7F; ++c)
        if (ascii[c].width > 0)
            for (int size = 0; size < sizes; ++size) {
                MakeCopy(ascii[c], size, copy);
                madeCopies[size_t(c - 0x20) * GLYPH_SIZES + size] = {madeTexels.size(), copy.width, copy.height};
                madeTexels.insert(madeTexels.end(), copy.texels.begin(),
                                  copy.texels.begin() + std::ptrdiff_t(copy.width) * copy.height);
            }
}

void TImageFont::Prepare()
{
    if (height > PREPARED_MAX_HEIGHT)
        return;
    // Shelves waste least when what goes on them comes tallest first: every size of every glyph, the
    // height of a copy being its glyph's halved once per size.
    const int sizes = smooth ? GLYPH_SIZES : 1;
    std::vector<std::pair<TGlyph*, int>> order;
    for (char32_t c = 0x20; c < 0x7F; ++c)
        for (int size = 0; size < sizes; ++size)
            order.emplace_back(&Find(c), size);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return (a.first->height >> a.second) > (b.first->height >> b.second);
    });
    // Hundreds of small uploads cost more than the texels they carry: the page goes up once, at the end.
    gfx::TAtlasBatch batch;
    for (auto& [glyph, size] : order)
        Place(*glyph, size);
    // A later display makes its copies as it places them.
    madeCopies = {};
    madeTexels = {};
}

void TImageFont::MakeCopy(const TGlyph& glyph, int size, TGlyphCopy& copy) const
{
    // The atlas takes colour: the coverage becomes the alpha of white texels. A shrunk copy is made from
    // the glyph padded with clear texels to whole blocks of its scale, so each of its texels covers
    // exactly that block and the glyph keeps its exact size in the copy.
    const int block = 1 << size;
    int w = size ? (glyph.width + block - 1) / block * block : glyph.width;
    int h = size ? (glyph.height + block - 1) / block * block : glyph.height;
    std::vector<uint32_t>& texels = copy.texels;
    texels.assign(size_t(w) * h * 5 / 4 + 1, 0x00FFFFFFu);
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x)
            texels[size_t(y) * w + x] =
                0x00FFFFFFu | uint32_t(coverage[glyph.coverage + size_t(y) * glyph.width + x]) << 24;
    for (int k = 0; k < size; ++k) {
        // Halved into the room after it, then moved to the front.
        gfx::HalveTexels(texels.data(), w, h, texels.data() + size_t(w) * h);
        w /= 2;
        h /= 2;
        std::copy_n(texels.data() + size_t(w * 2) * (h * 2), size_t(w) * h, texels.data());
    }
    copy.width = w;
    copy.height = h;
}

bool TImageFont::Place(TGlyph& glyph, int size)
{
    gfx::TAtlasPlace& place = glyph.place[size];
    if (place.Live())
        return true;
    if (glyph.width <= 0 || gfx::DisplayGeneration() == 0)
        return false;
    // A printable glyph's copy made ahead is used once; any other is made now, in a buffer kept for it.
    TMadeCopy* made = nullptr;
    const std::less<const TGlyph*> before;
    const ptrdiff_t index = !before(&glyph, ascii) && before(&glyph, ascii + 128) ? &glyph - ascii : -1;
    if (index >= 0x20 && index < 0x7F && !madeCopies.empty()) {
        made = &madeCopies[size_t(index - 0x20) * GLYPH_SIZES + size];
        if (made->width == 0)
            made = nullptr;
    }
    static TGlyphCopy& scratch = *new TGlyphCopy;
    if (!made)
        MakeCopy(glyph, size, scratch);
    const uint32_t* texels = made ? madeTexels.data() + made->offset : scratch.texels.data();
    const int w = made ? made->width : scratch.width, h = made ? made->height : scratch.height;
    const gfx::TAtlasKind kind = smooth ? gfx::TAtlasKind::Smooth : gfx::TAtlasKind::Sharp;
    const bool placed = gfx::PlaceInAtlas(kind, texels, w, h, gfx::TGutter::Clear, place);
    if (made)
        made->width = 0;
    return placed;
}

TGlyph TImageFont::Rasterise(char32_t c)
{
    ++glyphsRasterised;
    TGlyph glyph;
    std::vector<uint8_t> bitmap;
    if (builtinScale) {
        const uint8_t* rows = gfx::BuiltinGlyphRows(c);
        if (!rows)
            return glyph;
        const int s = builtinScale;
        glyph.advance = gfx::BUILTIN_ADVANCE * s;
        glyph.offsetX = 0;
        glyph.offsetY = ascender - gfx::BUILTIN_ASCENT * s;
        bool blank = true;
        for (int r = 0; r < gfx::BUILTIN_ROWS; ++r)
            blank = blank && rows[r] == 0;
        if (!blank) {
            glyph.width = gfx::BUILTIN_COLUMNS * s;
            glyph.height = gfx::BUILTIN_ROWS * s;
            bitmap.assign(size_t(glyph.width) * glyph.height, 0);
            for (int y = 0; y < glyph.height; ++y)
                for (int x = 0; x < glyph.width; ++x)
                    if (rows[y / s] & (0x10 >> (x / s)))
                        bitmap[size_t(y) * glyph.width + x] = 255;
        }
    } else {
        // The first face that has the character draws it; on the baseline of this one. A shaped glyph
        // comes from the face shaping chose.
        FT_Face from = face;
        FT_UInt index = 0;
        if (c & SHAPED_KEY) {
            const size_t number = (c >> 24) & 0x7F;
            from = number == 0 ? face : number <= fallbacks.size() ? fallbacks[number - 1].face : nullptr;
            index = from ? FT_UInt(c & 0xFFFFFFu) : 0;
        } else {
            index = FT_Get_Char_Index(face, FT_ULong(c));
            for (size_t k = 0; index == 0 && k < fallbacks.size(); ++k) {
                from = fallbacks[k].face;
                index = FT_Get_Char_Index(from, FT_ULong(c));
            }
        }
        if (index == 0 || FT_Load_Glyph(from, index, FT_LOAD_RENDER) != 0)
            return glyph;
        const FT_GlyphSlot slot = from->glyph;
        const FT_Bitmap& source = slot->bitmap;
        glyph.advance = int(slot->advance.x >> 6);
        glyph.offsetX = slot->bitmap_left;
        glyph.offsetY = ascender - slot->bitmap_top;
        glyph.width = int(source.width);
        glyph.height = int(source.rows);
        bitmap.assign(size_t(glyph.width) * glyph.height, 0);
        for (int y = 0; y < glyph.height; ++y) {
            const uint8_t* row = source.buffer + ptrdiff_t(y) * source.pitch;
            for (int x = 0; x < glyph.width; ++x) {
                uint8_t value = 0;
                switch (source.pixel_mode) {
                case FT_PIXEL_MODE_GRAY:
                    value = source.num_grays == 256 ? row[x] : uint8_t(row[x] * 255 / std::max(1, source.num_grays - 1));
                    break;
                case FT_PIXEL_MODE_MONO:
                    value = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                    break;
                case FT_PIXEL_MODE_BGRA:
                    value = row[x * 4 + 3];
                    break;
                default:
                    break;
                }
                bitmap[size_t(y) * glyph.width + x] = value;
            }
        }
    }
    glyph.exists = true;
    // Too large to keep (or empty), it still advances the pen.
    if (glyph.width <= 0 || glyph.height <= 0 || glyph.width > 4096 || glyph.height > 4096) {
        glyph.width = glyph.height = 0;
        return glyph;
    }
    // Placed in the atlas at its first draw (or all together, by Prepare).
    glyph.coverage = coverage.size();
    coverage.insert(coverage.end(), bitmap.begin(), bitmap.end());
    return glyph;
}

uint64_t GlyphsRasterisedCount() { return glyphsRasterised; }
