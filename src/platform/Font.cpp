// Font - image fonts: glyphs rasterised once, on first use, into atlas pages kept in memory and
// turned into textures per display; text is drawn and measured through them.
#include "platform/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/BuiltinFont.h"
#include "platform/DrawBatch.h"
#include "platform/ImageDecode.h"
#include "platform/Text.h"

namespace {

// Empty space kept around every glyph so filtering and the smaller mipmap levels never pick up a
// neighbour: 8 pixels still hold a whole clean texel at level 2 (text drawn at a quarter size).
constexpr int GLYPH_PADDING = 8;
// Faces up to this line height have their printable ASCII glyphs made when they load.
constexpr int PREPARED_MAX_HEIGHT = 100;
// The white block in each page's corner, for rectangles and lines batched with text.
constexpr int WHITE_BLOCK = 4;

FT_Library FreeTypeLibrary()
{
    static FT_Library library = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (FT_Init_FreeType(&library) != 0)
            library = nullptr;
    }
    return library;
}

struct TGlyph {
    bool exists = false;
    int advance = 0;
    int offsetX = 0, offsetY = 0;
    int width = 0, height = 0;
    int page = -1;
    int atlasX = 0, atlasY = 0;
};

// One square of glyph coverage, packed shelf by shelf.
struct TAtlasPage {
    int size = 0;
    std::vector<uint8_t> coverage;
    int shelfX = 0, shelfY = 0, shelfHeight = 0;
    unsigned texture = 0;
    uint64_t generation = 0;
    bool mipmapsStale = false;
};

}  // namespace

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
    int pageSize = 512;

    const TGlyph& Find(char32_t c);
    // Rasterises the printable ASCII glyphs now and, with a display open, makes their textures, so no
    // frame pays for a glyph of ordinary text on its first draw.
    void Prepare();
    // Makes sure the page's texture exists for the open display; 0 when none is open.
    unsigned PageTexture(int page);
    void RefreshMipmaps();
    int PageSizeOf(int page) const { return pages[page].size; }

private:
    TGlyph Rasterise(char32_t c);
    bool Place(int w, int h, int& page, int& x, int& y);

    std::unordered_map<char32_t, TGlyph> glyphs;
    TGlyph ascii[128];
    bool asciiKnown[128] = {};
    std::vector<TAtlasPage> pages;
};

TImageFont::~TImageFont()
{
    for (const TAtlasPage& page : pages)
        gfx::ReleaseTexture(page.texture, page.generation);
    if (face)
        FT_Done_Face(face);
}

const TGlyph& TImageFont::Find(char32_t c)
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

void TImageFont::Prepare()
{
    // Text sizes fill a page or two; a poster-sized face would fill many pages with glyphs it may never
    // draw, so those stay on demand.
    if (height > PREPARED_MAX_HEIGHT)
        return;
    for (char32_t c = 0x20; c < 0x7F; ++c)
        Find(c);
    for (int page = 0; page < int(pages.size()); ++page)
        PageTexture(page);
    RefreshMipmaps();
}

bool TImageFont::Place(int w, int h, int& pageIndex, int& x, int& y)
{
    const int needW = w + GLYPH_PADDING, needH = h + GLYPH_PADDING;
    if (!pages.empty()) {
        TAtlasPage& page = pages.back();
        if (page.shelfX + needW > page.size) {
            page.shelfY += page.shelfHeight;
            page.shelfX = GLYPH_PADDING;
            page.shelfHeight = 0;
        }
        if (page.shelfX + needW <= page.size && page.shelfY + needH <= page.size) {
            pageIndex = int(pages.size()) - 1;
            x = page.shelfX;
            y = page.shelfY;
            page.shelfX += needW;
            page.shelfHeight = std::max(page.shelfHeight, needH);
            return true;
        }
    }
    // A new page, large enough for this glyph even at an outsized pixel size.
    TAtlasPage page;
    page.size = pageSize;
    while (page.size < needW + WHITE_BLOCK + 2 * GLYPH_PADDING || page.size < needH + 2 * GLYPH_PADDING)
        page.size *= 2;
    if (page.size > 8192)
        return false;
    page.coverage.assign(size_t(page.size) * page.size, 0);
    for (int row = 0; row < WHITE_BLOCK; ++row)
        std::memset(&page.coverage[size_t(row) * page.size], 255, WHITE_BLOCK);
    page.shelfX = WHITE_BLOCK + GLYPH_PADDING;
    page.shelfY = GLYPH_PADDING;
    pages.push_back(std::move(page));
    return Place(w, h, pageIndex, x, y);
}

static uint64_t glyphsRasterised = 0;

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
        const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(c));
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0)
            return glyph;
        const FT_GlyphSlot slot = face->glyph;
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
    if (glyph.width <= 0 || glyph.height <= 0) {
        glyph.width = glyph.height = 0;
        return glyph;
    }
    if (!Place(glyph.width, glyph.height, glyph.page, glyph.atlasX, glyph.atlasY)) {
        glyph.width = glyph.height = 0;   // too large to keep: it still advances the pen
        return glyph;
    }
    TAtlasPage& page = pages[glyph.page];
    for (int y = 0; y < glyph.height; ++y)
        std::memcpy(&page.coverage[size_t(glyph.atlasY + y) * page.size + glyph.atlasX],
                    &bitmap[size_t(y) * glyph.width], size_t(glyph.width));
    // A page already on this display takes just the new glyph; its mipmaps follow before the next draw.
    if (page.texture && page.generation == gfx::DisplayGeneration()) {
        gfx::UploadAlpha(page.texture, glyph.atlasX, glyph.atlasY, glyph.width, glyph.height, page.size,
                         &page.coverage[size_t(glyph.atlasY) * page.size + glyph.atlasX]);
        page.mipmapsStale = smooth;
    }
    return glyph;
}

unsigned TImageFont::PageTexture(int index)
{
    const uint64_t generation = gfx::DisplayGeneration();
    if (generation == 0 || index < 0 || index >= int(pages.size()))
        return 0;
    TAtlasPage& page = pages[index];
    if (page.texture && page.generation == generation)
        return page.texture;
    page.texture = gfx::CreateTexture(page.size, page.size, smooth, smooth, true);
    page.generation = generation;
    gfx::UploadAlpha(page.texture, 0, 0, page.size, page.size, page.size, page.coverage.data());
    page.mipmapsStale = smooth;
    return page.texture;
}

void TImageFont::RefreshMipmaps()
{
    for (TAtlasPage& page : pages) {
        if (page.mipmapsStale && page.texture && page.generation == gfx::DisplayGeneration())
            gfx::RebuildMipmaps(page.texture, page.size, page.coverage.data());
        page.mipmapsStale = false;
    }
}

namespace {

// The next size the face accepts at or below the one asked for: fixed-size faces offer a list of
// strikes; scalable ones take any size FreeType does not refuse.
bool ChooseSize(FT_Face face, int size)
{
    if (FT_IS_SCALABLE(face)) {
        for (int s = size; s >= 1; --s)
            if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(s)) == 0)
                return true;
        return false;
    }
    int best = -1, smallest = -1;
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
        const int h = face->available_sizes[i].height;
        if (h <= size && (best < 0 || h > face->available_sizes[best].height))
            best = i;
        if (smallest < 0 || h < face->available_sizes[smallest].height)
            smallest = i;
    }
    // A face whose every strike is larger than asked for still gives its smallest rather than nothing.
    if (best < 0)
        best = smallest;
    return best >= 0 && FT_Select_Size(face, best) == 0;
}

}  // namespace

TImageFontPtr LoadFontFile(const std::string& path, int size, int style)
{
    FT_Library library = FreeTypeLibrary();
    if (!library || size <= 0)
        return nullptr;
    auto font = std::make_shared<TImageFont>();
    if (!ReadWholeFile(path, font->fileBytes))
        return nullptr;
    if (FT_New_Memory_Face(library, font->fileBytes.data(), FT_Long(font->fileBytes.size()), 0, &font->face) != 0) {
        font->face = nullptr;
        return nullptr;
    }
    if (!ChooseSize(font->face, size))
        return nullptr;
    const FT_Size_Metrics& metrics = font->face->size->metrics;
    font->ascender = int(metrics.ascender >> 6);
    font->height = int(metrics.height >> 6);
    font->smooth = (style & FONT_STYLE_SMOOTH) != 0;
    font->pageSize = font->height > 40 ? 1024 : 512;
    font->Prepare();
    return font;
}

std::shared_ptr<TImageFont> gfx::BuiltinFont()
{
    // Kept to the very end of the program, past the static destructors that may still measure text.
    static const TImageFontPtr* builtin = new TImageFontPtr([] {
        auto font = std::make_shared<TImageFont>();
        font->builtinScale = 2;
        font->ascender = BUILTIN_ASCENDER * font->builtinScale;
        font->height = BUILTIN_LINE * font->builtinScale;
        font->pageSize = 256;
        return font;
    }());
    return *builtin;
}

namespace {

// Appends the quad of one glyph with the pen at (penX, penY).
void AddGlyphQuad(TImageFont& font, const TGlyph& glyph, const TDrawState& s, gfx::TColour colour, float penX,
                  float penY)
{
    if (glyph.width <= 0)
        return;
    const unsigned texture = font.PageTexture(glyph.page);
    if (!texture)
        return;
    const float gx = float(glyph.offsetX), gy = float(glyph.offsetY);
    const float gw = float(glyph.width), gh = float(glyph.height);
    const gfx::TPoint corners[4] = {
        gfx::Transform(s, penX, penY, gx, gy), gfx::Transform(s, penX, penY, gx + gw, gy),
        gfx::Transform(s, penX, penY, gx + gw, gy + gh), gfx::Transform(s, penX, penY, gx, gy + gh)};
    const float pageSize = float(font.PageSizeOf(glyph.page));
    const gfx::TWhiteTexel white{WHITE_BLOCK / 2 / pageSize, WHITE_BLOCK / 2 / pageSize};
    gfx::AddQuad(texture, corners, glyph.atlasX / pageSize, glyph.atlasY / pageSize,
                 (glyph.atlasX + gw) / pageSize, (glyph.atlasY + gh) / pageSize, colour, &white);
}

}  // namespace

void DrawTextAt(const std::string& text, float x, float y)
{
    if (gfx::DisplayGeneration() == 0 || text.empty())
        return;
    const TImageFontPtr font = CurrentDrawFont();
    const TDrawState& s = GetDrawState();
    const gfx::TColour colour = gfx::StateColour();
    float penX = x, penY = y;
    for (size_t i = 0; i < text.size();) {
        const TGlyph& glyph = font->Find(NextUtf8(text, i));
        if (!glyph.exists)
            continue;
        AddGlyphQuad(*font, glyph, s, colour, penX, penY);
        penX += glyph.advance * s.ix;
        penY += glyph.advance * s.jx;
    }
    font->RefreshMipmaps();
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
    const TGlyph& glyph = font->Find(c);
    if (!glyph.exists)
        return;
    AddGlyphQuad(*font, glyph, GetDrawState(), gfx::StateColour(), x, y);
    font->RefreshMipmaps();
}

int MeasureTextWidth(const std::string& text)
{
    const TImageFontPtr font = CurrentDrawFont();
    int width = 0;
    for (size_t i = 0; i < text.size();) {
        const TGlyph& glyph = font->Find(NextUtf8(text, i));
        if (glyph.exists)
            width += glyph.advance;
    }
    return width;
}

uint64_t GlyphsRasterisedCount() { return glyphsRasterised; }

int MeasureTextHeight(const std::string&) { return CurrentDrawFont()->height; }

int FontHeight(const TImageFontPtr& font) { return font ? font->height : gfx::BuiltinFont()->height; }
int FontAscender(const TImageFontPtr& font) { return font ? font->ascender : gfx::BuiltinFont()->ascender; }
