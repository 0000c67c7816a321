// Font - image fonts: glyphs rasterised once, on first use, kept in memory and placed in the shared
// atlas of each display; text is drawn and measured through them.
#include "platform/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/gfx/Atlas.h"
#include "platform/gfx/BuiltinFont.h"
#include "platform/gfx/DrawBatch.h"
#include "platform/sys/FileRead.h"
#include "platform/Preload.h"
#include "platform/gfx/GfxTesting.h"
#include "platform/Text.h"

namespace {

// Faces up to this line height have their printable ASCII glyphs made when they load.
constexpr int PREPARED_MAX_HEIGHT = 100;
// A smooth font keeps each glyph at full size and at a half, a quarter and an eighth, box-filtered,
// and text drawn shrunk uses the copy nearest its size, as a texture's smaller levels would serve it.
// Copies chosen per line of text rather than levels per pixel keep the atlas pages free of smaller
// levels, which a software rasteriser pays for on every pixel drawn from them.
constexpr int GLYPH_SIZES = 4;

#ifdef __EMSCRIPTEN__
}  // namespace
// The browser's module links only the modules an OpenType font (TrueType or CFF outlines) is read and
// drawn with: FreeType's default set (every format it reads, and more renderers) would add a sixth to
// the module a first visit downloads before the title. FreeType keeps these out of its public headers.
extern "C" {
FT_Memory FT_New_Memory();
extern const FT_Module_Class autofit_module_class, tt_driver_class, cff_driver_class, psaux_module_class,
    psnames_module_class, pshinter_module_class, sfnt_module_class, ft_smooth_renderer_class;
}
namespace {

FT_Error OpenFreeType(FT_Library* library)
{
    const FT_Error error = FT_New_Library(FT_New_Memory(), library);
    if (error)
        return error;
    // In the order of FreeType's own list.
    for (const FT_Module_Class* module : {&autofit_module_class, &tt_driver_class, &cff_driver_class,
                                          &psaux_module_class, &psnames_module_class, &pshinter_module_class,
                                          &sfnt_module_class, &ft_smooth_renderer_class})
        FT_Add_Module(*library, module);
    FT_Set_Default_Properties(*library);
    return 0;
}
#else
FT_Error OpenFreeType(FT_Library* library) { return FT_Init_FreeType(library); }
#endif

FT_Library FreeTypeLibrary()
{
    static FT_Library library = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (OpenFreeType(&library) != 0)
            library = nullptr;
    }
    return library;
}

struct TGlyph {
    bool exists = false;
    int advance = 0;
    int offsetX = 0, offsetY = 0;
    int width = 0, height = 0;
    size_t coverage = 0;             // where its width x height coverage starts in the font's store
    gfx::TAtlasPlace place[GLYPH_SIZES];   // where the open display's atlas holds it, by size
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

// The copy of a glyph for text drawn through the draw state's matrix: the size a texture's nearest
// smaller level would give, from how many texels one pixel spans.
int GlyphSizeFor(const TDrawState& s)
{
    // Texels per pixel along the screen's axes are the columns of the matrix's inverse.
    const float det = std::fabs(s.ix * s.jy - s.iy * s.jx);
    if (!(det > 0.0f))
        return 0;
    const float span = std::max(std::hypot(s.jx, s.jy), std::hypot(s.ix, s.iy)) / det;
    const float level = std::log2(span);
    if (!(level > 0.5f))
        return 0;
    return std::min(GLYPH_SIZES - 1, int(std::ceil(level + 0.5f)) - 1);
}

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
    // Faces that lend the glyphs this one lacks, asked in turn, each sized to this face's capitals.
    struct TFallback {
        FT_Face face = nullptr;
        std::vector<uint8_t> fileBytes;
    };
    std::vector<TFallback> fallbacks;

    TGlyph& Find(char32_t c);
    // Glyphs looked for before a fallback came are looked for again.
    void ForgetMissingGlyphs();
    // Rasterises the printable ASCII glyphs now, so no frame pays for a glyph of ordinary text, and
    // makes their copies of every size for the atlas, so placing them is only copying.
    void RasterisePrintable();
    // With a display open, places the printable ASCII glyphs in the atlas, so no frame pays for placing
    // a glyph of ordinary text on its first draw.
    void Prepare();
    // Makes sure the glyph's copy of the given size is on a page of the open display; false when none is open.
    bool Place(TGlyph& glyph, int size);

private:
    TGlyph Rasterise(char32_t c);
    // The glyph's copy of the given size, as the atlas takes it.
    void MakeCopy(const TGlyph& glyph, int size, TGlyphCopy& copy) const;

    std::unordered_map<char32_t, TGlyph> glyphs;
    TGlyph ascii[128];
    bool asciiKnown[128] = {};
    // Every glyph's coverage, one after another: the atlas keeps no copy, and a new display needs them again.
    std::vector<uint8_t> coverage;
    // The printable glyphs' copies, by character and size, until they are placed, and their texels in
    // one block, which goes back to the system whole once they are.
    std::vector<TMadeCopy> madeCopies;
    std::vector<uint32_t> madeTexels;
};

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

// Counted on the preload thread too.
static std::atomic<uint64_t> glyphsRasterised{0};

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
        // The first face that has the character draws it; on the baseline of this one.
        FT_Face from = face;
        FT_UInt index = FT_Get_Char_Index(face, FT_ULong(c));
        for (size_t k = 0; index == 0 && k < fallbacks.size(); ++k) {
            from = fallbacks[k].face;
            index = FT_Get_Char_Index(from, FT_ULong(c));
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

std::string PreloadKey(const std::string& path, int size, int style)
{
    return "font " + std::to_string(size) + " " + std::to_string(style) + " " + path;
}

// The face and its printable ASCII glyphs, not yet on any atlas page: what needs no display, so it can
// be made on the preload thread.
TImageFontPtr ReadFontFile(const std::string& path, int size, int style)
{
    FT_Library library = FreeTypeLibrary();
    if (!library || size <= 0)
        return nullptr;
    auto font = std::make_shared<TImageFont>();
    // 64 MiB holds the largest font families with every script; FreeType keeps the whole file.
    constexpr size_t MAX_FONT_FILE_BYTES = 64u << 20;
    if (ReadRegularFile(path, MAX_FONT_FILE_BYTES, font->fileBytes) != TFileStatus::Ok || font->fileBytes.empty())
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
    font->RasterisePrintable();
    return font;
}

}  // namespace

void PreloadFont(const std::string& path, int size, int style)
{
    QueuePreload(PreloadKey(path, size, style), [=]() -> TPreloaded { return ReadFontFile(path, size, style); });
}

TImageFontPtr LoadFontFile(const std::string& path, int size, int style)
{
    TImageFontPtr font = std::static_pointer_cast<TImageFont>(TakePreloaded(PreloadKey(path, size, style)));
    if (!font)
        font = ReadFontFile(path, size, style);
    if (font)
        font->Prepare();
    return font;
}

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
    FT_Library library = FreeTypeLibrary();
    if (!font || !font->face || !library)
        return false;
    TImageFont::TFallback fallback;
    constexpr size_t MAX_FONT_FILE_BYTES = 64u << 20;
    if (ReadRegularFile(path, MAX_FONT_FILE_BYTES, fallback.fileBytes) != TFileStatus::Ok ||
        fallback.fileBytes.empty())
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
                           : ChooseSize(fallback.face, int(pixels + 0.5));
    if (!sized) {
        FT_Done_Face(fallback.face);
        return false;
    }
    font->fallbacks.push_back(std::move(fallback));
    font->ForgetMissingGlyphs();
    return true;
}

namespace {

// The font used while none is selected.
TImageFontPtr BuiltinFont()
{
    // Kept to the very end of the program, past the static destructors that may still measure text.
    static const TImageFontPtr* builtin = new TImageFontPtr([] {
        auto font = std::make_shared<TImageFont>();
        font->builtinScale = 2;
        font->ascender = gfx::BUILTIN_ASCENDER * font->builtinScale;
        font->height = gfx::BUILTIN_LINE * font->builtinScale;
        return font;
    }());
    return *builtin;
}

// The font DrawTextAt uses now: the selected one or the built-in one.
TImageFontPtr CurrentDrawFont()
{
    const TImageFontPtr& selected = GetDrawState().font;
    return selected ? selected : BuiltinFont();
}

// Tests' view of the text drawn, and the box of the glyphs of the line being drawn.
std::function<void(const std::string&, float, float, float, float)> textDrawnHook;
struct TInkBox {
    float left = 1e30f, top = 1e30f, right = -1e30f, bottom = -1e30f;
};

// Appends the quad of one glyph with the pen at (penX, penY), from its copy of the given size.
void AddGlyphQuad(TImageFont& font, TGlyph& glyph, int size, const TDrawState& s, gfx::TColour colour,
                  float penX, float penY, TInkBox* ink = nullptr)
{
    if (glyph.width <= 0 || !font.Place(glyph, size))
        return;
    const gfx::TAtlasPlace& at = glyph.place[size];
    const float scale = 1.0f / float(1 << size);
    const float gx = float(glyph.offsetX), gy = float(glyph.offsetY);
    const float gw = float(glyph.width), gh = float(glyph.height);
    const gfx::TPoint corners[4] = {
        gfx::Transform(s, penX, penY, gx, gy), gfx::Transform(s, penX, penY, gx + gw, gy),
        gfx::Transform(s, penX, penY, gx + gw, gy + gh), gfx::Transform(s, penX, penY, gx, gy + gh)};
    gfx::AddQuad(at.texture, corners, at.U(0.0f), at.V(0.0f), at.U(gw * scale), at.V(gh * scale), colour,
                 at.hasWhite ? &at.white : nullptr);
    if (ink)
        for (const gfx::TPoint& p : corners) {
            ink->left = std::min(ink->left, p.x);
            ink->right = std::max(ink->right, p.x);
            ink->top = std::min(ink->top, p.y);
            ink->bottom = std::max(ink->bottom, p.y);
        }
}

}  // namespace

void DrawTextAt(const std::string& text, float x, float y)
{
    if (gfx::DisplayGeneration() == 0 || text.empty())
        return;
    const TImageFontPtr font = CurrentDrawFont();
    const TDrawState& s = GetDrawState();
    const gfx::TColour colour = gfx::StateColour();
    const int size = font->smooth ? GlyphSizeFor(s) : 0;
    float penX = x, penY = y;
    TInkBox ink;
    TInkBox* watched = textDrawnHook ? &ink : nullptr;
    for (size_t i = 0; i < text.size();) {
        TGlyph& glyph = font->Find(NextUtf8(text, i));
        if (!glyph.exists)
            continue;
        AddGlyphQuad(*font, glyph, size, s, colour, penX, penY, watched);
        penX += glyph.advance * s.ix;
        penY += glyph.advance * s.jx;
    }
    if (watched && ink.left <= ink.right)
        textDrawnHook(text, ink.left, ink.top, ink.right, ink.bottom);
}

void SetTextDrawnHook(std::function<void(const std::string&, float, float, float, float)> hook)
{
    textDrawnHook = std::move(hook);
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
    TGlyph& glyph = font->Find(c);
    if (!glyph.exists)
        return;
    const TDrawState& s = GetDrawState();
    AddGlyphQuad(*font, glyph, font->smooth ? GlyphSizeFor(s) : 0, s, gfx::StateColour(), x, y);
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

int FontHeight(const TImageFontPtr& font) { return font ? font->height : BuiltinFont()->height; }
int FontAscender(const TImageFontPtr& font) { return font ? font->ascender : BuiltinFont()->ascender; }
