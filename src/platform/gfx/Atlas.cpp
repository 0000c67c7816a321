// Atlas - glyphs and small pictures packed shelf by shelf into shared texture pages.
//
// Every picture owns a region of its page: the picture with a gutter of one texel around it, which is
// as far as a bilinear read reaches beyond a picture drawn up to its edge. So no picture ever shows
// its neighbour, and a region can be written without reading anything else on the page.
//
// Pages keep no copy of their texels. Their owners keep their own (glyph coverage, image frames) and
// place them again when a new display opens, since the pages die with the GL context.
#include "platform/gfx/Atlas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace gfx {
namespace {

// The rasteriser clears a texture's whole memory when it is made, so pages are no larger than what the
// game puts on them: one smooth page holds a 64-pixel face's printable ASCII at four sizes and the
// effect pictures; sharp pages serve the built-in font and unfiltered pictures.
constexpr int SMOOTH_PAGE_WIDTH = 1024, SMOOTH_PAGE_HEIGHT = 512;
constexpr int SHARP_PAGE_WIDTH = 256, SHARP_PAGE_HEIGHT = 256;
// The white block in each shared page's corner, for rectangles and lines drawn with the page's pictures.
constexpr int WHITE_BLOCK = 8;
constexpr uint32_t CLEAR_TEXEL = 0x00FFFFFFu;

struct TRect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct TShelf {
    int y = 0, height = 0, used = 0;
};

struct TFree {
    void operator()(uint32_t* p) const { std::free(p); }
};

struct TPage {
    unsigned texture = 0;          // 0: a free slot
    TAtlasKind kind = TAtlasKind::Smooth;
    int width = 0, height = 0;
    bool own = false;              // made for one picture too large for a shared page
    std::vector<TShelf> shelves;
    std::vector<TRect> spare;      // regions given back, for pictures that fit them
    int shelvesEnd = 0;            // where the next shelf starts
    int regions = 0;               // regions in use
    // Made during a batch: its texels, zero where nothing was written as a new texture is, until the
    // batch ends; and the rows written so far.
    std::unique_ptr<uint32_t[], TFree> staged;
    int stagedTop = 0, stagedBottom = 0;
};

struct TAtlas {
    uint64_t generation = 0;
    std::vector<TPage> pages;
    std::vector<uint32_t> scratch;  // a region while it is uploaded
    int batches = 0;                // batches alive
};
// Never destroyed: fonts and images held in globals give their regions back during the program's exit.
TAtlas& atlas = *new TAtlas;

constexpr int GUTTER = 1;

// Pages belong to the display that is open now; those of an earlier one died with its GL context.
void FollowDisplay()
{
    const uint64_t generation = DisplayGeneration();
    if (atlas.generation != generation) {
        atlas.pages.clear();
        atlas.generation = generation;
    }
}

// Takes a w x h region from the spare ones, the smallest that holds it; what is left of it to the
// right and below stays spare.
bool TakeSpare(TPage& page, int w, int h, TRect& region)
{
    int best = -1;
    for (int i = 0; i < int(page.spare.size()); ++i) {
        const TRect& s = page.spare[i];
        if (w <= s.w && h <= s.h && (best < 0 || s.w * s.h < page.spare[best].w * page.spare[best].h))
            best = i;
    }
    if (best < 0)
        return false;
    const TRect s = page.spare[best];
    page.spare.erase(page.spare.begin() + best);
    if (s.w > w)
        page.spare.push_back({s.x + w, s.y, s.w - w, s.h});
    if (s.h > h)
        page.spare.push_back({s.x, s.y + h, w, s.h - h});
    region = {s.x, s.y, w, h};
    return true;
}

// Finds a w x h region on a shared page: a spare one, then the lowest shelf with room that wastes at
// most half the height, then a new shelf, and as a last resort any shelf with room.
bool Allocate(TPage& page, int w, int h, TRect& region)
{
    if (TakeSpare(page, w, h, region))
        return true;
    int best = -1;
    for (int i = 0; i < int(page.shelves.size()); ++i) {
        const TShelf& s = page.shelves[i];
        if (h <= s.height && s.used + w <= page.width && (best < 0 || s.height < page.shelves[best].height))
            best = i;
    }
    const bool newShelfFits = page.shelvesEnd + h <= page.height && w <= page.width;
    if (best >= 0 && (page.shelves[best].height - h <= h / 2 || !newShelfFits)) {
        TShelf& s = page.shelves[best];
        region = {s.used, s.y, w, h};
        s.used += w;
        return true;
    }
    if (!newShelfFits)
        return false;
    page.shelves.push_back({page.shelvesEnd, h, w});
    region = {0, page.shelvesEnd, w, h};
    page.shelvesEnd += h;
    return true;
}

// A page slot for a new page: a free one if there is one.
int NewPage(TAtlasKind kind, int width, int height, bool own)
{
    const unsigned texture = CreateTexture(width, height, kind == TAtlasKind::Smooth, false);
    if (!texture)
        return -1;
    TPage page;
    if (atlas.batches > 0) {
        // Zeroed pages straight from the system: only the rows written are ever touched.
        page.staged.reset(static_cast<uint32_t*>(std::calloc(size_t(width) * height, sizeof(uint32_t))));
    }
    page.texture = texture;
    page.kind = kind;
    page.width = width;
    page.height = height;
    page.own = own;
    auto slot =
        std::find_if(atlas.pages.begin(), atlas.pages.end(), [](const TPage& p) { return p.texture == 0; });
    if (slot == atlas.pages.end())
        slot = atlas.pages.insert(slot, TPage{});
    *slot = std::move(page);
    return int(slot - atlas.pages.begin());
}

// Writes a region of `page`: the picture at (left, top) inside it, and its gutter. A page of a batch
// takes it in memory; any other, in an upload of its own.
void WriteRegion(TPage& page, const TAtlasPlace& place, const uint32_t* argb, TGutter gutter)
{
    const int rw = place.regionWidth, rh = place.regionHeight;
    const int left = place.x - place.regionX, top = place.y - place.regionY;
    uint32_t* out = nullptr;
    size_t stride = size_t(rw);
    if (page.staged) {
        out = page.staged.get() + size_t(place.regionY) * page.width + place.regionX;
        stride = size_t(page.width);
        if (page.stagedBottom <= page.stagedTop) {
            page.stagedTop = place.regionY;
            page.stagedBottom = place.regionY + rh;
        } else {
            page.stagedTop = std::min(page.stagedTop, place.regionY);
            page.stagedBottom = std::max(page.stagedBottom, place.regionY + rh);
        }
    } else {
        const size_t texels = size_t(rw) * rh;
        if (atlas.scratch.size() < texels)
            atlas.scratch.resize(texels);
        out = atlas.scratch.data();
    }
    for (int y = 0; y < rh; ++y) {
        const int py = std::clamp(y - top, 0, place.height - 1);
        const bool rowInside = y - top == py;
        for (int x = 0; x < rw; ++x) {
            const int px = std::clamp(x - left, 0, place.width - 1);
            const bool inside = rowInside && x - left == px;
            out[size_t(y) * stride + x] =
                inside || gutter == TGutter::Edge ? argb[size_t(py) * place.width + px] : CLEAR_TEXEL;
        }
    }
    if (!page.staged)
        UploadArgbRect(place.texture, place.regionX, place.regionY, rw, rh, out);
}

// Sends a batch page's written rows to GL, whole rows being one block of its memory, and stops keeping
// its texels. What lies between the regions is never sampled, so it may go up as the zeros it is.
void UploadStaged(TPage& page)
{
    if (!page.staged)
        return;
    if (page.texture && page.stagedBottom > page.stagedTop)
        UploadArgbRect(page.texture, 0, page.stagedTop, page.width, page.stagedBottom - page.stagedTop,
                       page.staged.get() + size_t(page.stagedTop) * page.width);
    page.staged.reset();
    page.stagedTop = page.stagedBottom = 0;
}

TPage* PageOf(const TAtlasPlace& place)
{
    if (place.page < 0 || place.page >= int(atlas.pages.size()))
        return nullptr;
    TPage& page = atlas.pages[place.page];
    return page.texture == place.texture ? &page : nullptr;
}

}  // namespace

bool TAtlasPlace::Live() const
{
    return texture != 0 && generation != 0 && generation == DisplayGeneration();
}

bool PlaceInAtlas(TAtlasKind kind, const uint32_t* argb, int w, int h, TGutter gutter, TAtlasPlace& place)
{
    place = TAtlasPlace{};
    if (DisplayGeneration() == 0 || !argb || w <= 0 || h <= 0 || w > 8192 || h > 8192)
        return false;
    FollowDisplay();
    const int border = GUTTER;
    const int rw = w + 2 * border, rh = h + 2 * border;
    const bool smooth = kind == TAtlasKind::Smooth;
    const int pageWidth = smooth ? SMOOTH_PAGE_WIDTH : SHARP_PAGE_WIDTH;
    const int pageHeight = smooth ? SMOOTH_PAGE_HEIGHT : SHARP_PAGE_HEIGHT;
    TRect region;
    int index = -1;
    if (rw <= pageWidth && rh <= pageHeight - WHITE_BLOCK) {
        for (int i = 0; i < int(atlas.pages.size()) && index < 0; ++i) {
            TPage& page = atlas.pages[i];
            if (page.texture && !page.own && page.kind == kind && Allocate(page, rw, rh, region))
                index = i;
        }
        if (index < 0) {
            index = NewPage(kind, pageWidth, pageHeight, false);
            if (index < 0)
                return false;
            TPage& page = atlas.pages[index];
            // The white block stands on a shelf of its own at the top.
            page.shelves.push_back({0, WHITE_BLOCK, WHITE_BLOCK});
            page.shelvesEnd = WHITE_BLOCK;
            const std::vector<uint32_t> white(WHITE_BLOCK * WHITE_BLOCK, 0xFFFFFFFFu);
            TAtlasPlace block;
            block.texture = page.texture;
            block.kind = kind;
            block.width = block.height = block.regionWidth = block.regionHeight = WHITE_BLOCK;
            WriteRegion(page, block, white.data(), TGutter::Edge);
            Allocate(page, rw, rh, region);
        }
    } else {
        index = NewPage(kind, rw, rh, true);
        if (index < 0)
            return false;
        region = {0, 0, rw, rh};
    }
    TPage& page = atlas.pages[index];
    ++page.regions;
    place.texture = page.texture;
    place.generation = atlas.generation;
    place.page = index;
    place.kind = kind;
    place.x = region.x + border;
    place.y = region.y + border;
    place.width = w;
    place.height = h;
    place.regionX = region.x;
    place.regionY = region.y;
    place.regionWidth = region.w;
    place.regionHeight = region.h;
    place.uScale = 1.0f / float(page.width);
    place.vScale = 1.0f / float(page.height);
    place.hasWhite = !page.own;
    place.white = {WHITE_BLOCK / 2.0f * place.uScale, WHITE_BLOCK / 2.0f * place.vScale};
    WriteRegion(page, place, argb, gutter);
    return true;
}

void RewriteInAtlas(const TAtlasPlace& place, const uint32_t* argb, TGutter gutter)
{
    if (!place.Live() || !argb)
        return;
    TPage* page = PageOf(place);
    if (!page)
        return;
    // Quads recorded before must show the old texels.
    FlushPendingDraws();
    WriteRegion(*page, place, argb, gutter);
}

void ReleaseFromAtlas(TAtlasPlace& place)
{
    const TAtlasPlace old = place;
    place = TAtlasPlace{};
    if (!old.Live() || old.generation != atlas.generation || old.page < 0 ||
        old.page >= int(atlas.pages.size()))
        return;
    TPage& page = atlas.pages[old.page];
    if (page.texture != old.texture)
        return;
    FlushPendingDraws();
    TexturesChanged();
    page.spare.push_back({old.regionX, old.regionY, old.regionWidth, old.regionHeight});
    if (--page.regions > 0)
        return;
    // An empty page gives its memory back.
    DropTexture(page.texture);
    page = TPage{};
}

TAtlasBatch::TAtlasBatch() { ++atlas.batches; }

TAtlasBatch::~TAtlasBatch()
{
    if (--atlas.batches > 0)
        return;
    // The pages of an earlier display died with its context, and their memory with them.
    if (atlas.generation != DisplayGeneration())
        return;
    for (TPage& page : atlas.pages)
        UploadStaged(page);
}

void CloseAtlas()
{
    // Called with the closing display's context still current.
    for (const TPage& page : atlas.pages)
        if (page.texture)
            DropTexture(page.texture);
    atlas.pages.clear();
    atlas.generation = 0;
}

int AtlasPageCount()
{
    if (atlas.generation == 0 || atlas.generation != DisplayGeneration())
        return 0;
    return int(
        std::count_if(atlas.pages.begin(), atlas.pages.end(), [](const TPage& p) { return p.texture != 0; }));
}

}  // namespace gfx
