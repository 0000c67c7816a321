// Image - pictures kept in memory as ARGB frames, turned into textures on first draw per display,
// and the image, rectangle and line drawing operations.
#include "platform/Image.h"

#include <algorithm>
#include <cmath>

#include "platform/gfx/Atlas.h"
#include "platform/gfx/DrawBatch.h"
#include "platform/gfx/ImageDecode.h"

namespace {

std::string lastLoadFailure;

int ResolveFlags(int flags) { return flags == IMAGE_DEFAULT_FLAGS ? (IMAGE_MASKED | IMAGE_FILTERED) : flags; }

// A picture without alpha of its own becomes opaque, except, when masked, its pure black pixels.
void ApplyMask(TPicture& picture, int flags)
{
    if (picture.hasAlpha || !(flags & IMAGE_MASKED))
        return;
    for (uint32_t& p : picture.argb)
        if ((p & 0x00FFFFFFu) == 0)
            p = 0;
}

// Loading is the time to pay for uploads: with a display open, the textures are made with the image,
// not in the middle of the first frame that draws it.
void PrepareTextures(TImage& image)
{
    if (gfx::DisplayGeneration() == 0)
        return;
    for (int frame = 0; frame < image.FrameCount(); ++frame)
        image.Frame(frame);
}

// Explosions and rings are large pictures with transparent surroundings, scaled far up: on a software
// rasteriser blending their empty texels is most of a frame's cost. Such a picture is drawn as the
// octagon around its visible texels instead of its rectangle, eight triangles fanned from a middle
// point. The fan's triangles meet vertex to vertex, so no pixel can fall through a crack between them
// (quads of a finer grid would also cost far more triangles than the texels they save). The octagon
// keeps a texel away from every visible texel, beyond what bilinear filtering reaches, so the pixels
// it leaves out are those the rectangle draws with nothing, under masked, alpha and light blending.
constexpr int OUTLINE_MIN_SIZE = 32;
// The octagon pays only when it saves a good part of the area.
constexpr double MOST_OF_THE_AREA = 0.85;

TImage::TOutline VisibleOutline(const std::vector<uint32_t>& argb, int w, int h)
{
    TImage::TOutline outline;
    if (w < OUTLINE_MIN_SIZE || h < OUTLINE_MIN_SIZE)
        return outline;
    // Support lines of the union of the visible texels' squares grown by one texel (and kept inside the
    // picture): across, down and along both diagonals.
    int minX = w, minY = h, maxX = 0, maxY = 0;
    int sumMin = w + h, sumMax = 0, diffMin = w, diffMax = -h;
    bool any = false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if ((argb[size_t(y) * w + x] >> 24) == 0)
                continue;
            any = true;
            const int x0 = std::max(x - 1, 0), x1 = std::min(x + 2, w);
            const int y0 = std::max(y - 1, 0), y1 = std::min(y + 2, h);
            minX = std::min(minX, x0);
            maxX = std::max(maxX, x1);
            minY = std::min(minY, y0);
            maxY = std::max(maxY, y1);
            sumMin = std::min(sumMin, x0 + y0);
            sumMax = std::max(sumMax, x1 + y1);
            diffMin = std::min(diffMin, x0 - y1);
            diffMax = std::max(diffMax, x1 - y0);
        }
    if (!any)
        return outline;
    // Each line touches the grown squares, so every edge between two neighbouring lines has a length
    // of zero or more and the corners come out in order.
    const int corners[8][2] = {
        {sumMin - minY, minY}, {diffMax + minY, minY},   // top
        {maxX, maxX - diffMax}, {maxX, sumMax - maxX},   // right
        {sumMax - maxY, maxY}, {diffMin + maxY, maxY},   // bottom
        {minX, minX - diffMin}, {minX, sumMin - minX},   // left
    };
    double area = 0.0;
    for (int k = 0; k < 8; ++k) {
        const int* p = corners[k];
        const int* q = corners[(k + 1) % 8];
        area += double(p[0]) * q[1] - double(q[0]) * p[1];
    }
    if (std::fabs(area) / 2.0 > MOST_OF_THE_AREA * w * h)
        return outline;
    outline.used = true;
    for (int k = 0; k < 8; ++k) {
        outline.x[k] = float(corners[k][0]);
        outline.y[k] = float(corners[k][1]);
    }
    return outline;
}

bool ValidFrame(const TImagePtr& image, int frame)
{
    return image && frame >= 0 && frame < image->FrameCount();
}

}  // namespace

// Small pictures share the atlas pages of text, so a frame's text and effects come from one texture.
// Pictures with a whole mipmap chain, and those rewritten while the game runs, keep textures of their own.
constexpr int SHARED_MAX_SIZE = 256;

struct TImage::TFrameTexture {
    unsigned texture = 0;
    uint64_t displayGeneration = 0;
    bool dirty = true;
    bool shared = false;            // on an atlas page: `place` says where
    gfx::TAtlasPlace place;
    // Texel (x, y) is at texture coordinates (u0 + x * uScale, v0 + y * vScale).
    float u0 = 0.0f, v0 = 0.0f, uScale = 0.0f, vScale = 0.0f;
};

TImage::TImage(int w, int h, int frameCount, int f) : width(w), height(h), flags(f)
{
    pixels.assign(std::max(frameCount, 0), std::vector<uint32_t>(size_t(std::max(w, 0)) * std::max(h, 0), 0));
    textures.resize(pixels.size());
}

TImage::~TImage()
{
    for (TFrameTexture& slot : textures) {
        if (slot.shared)
            gfx::ReleaseFromAtlas(slot.place);
        else
            gfx::ReleaseTexture(slot.texture, slot.displayGeneration);
    }
}

unsigned TImage::Frame(int index)
{
    const TFrameTexture* slot = FrameTexture(index);
    return slot ? slot->texture : 0;
}

const TImage::TFrameTexture* TImage::FrameTexture(int index)
{
    const uint64_t generation = gfx::DisplayGeneration();
    if (generation == 0 || index < 0 || index >= FrameCount() || width <= 0 || height <= 0)
        return nullptr;
    if (textures.size() < pixels.size())
        textures.resize(pixels.size());
    TFrameTexture& slot = textures[index];
    const bool mipmapped = flags & IMAGE_MIPMAPPED;
    if (slot.displayGeneration != generation) {
        // What an earlier display held died with its context; this display needs its own.
        slot = TFrameTexture{};
        slot.displayGeneration = generation;
        slot.shared =
            !mipmapped && !(flags & IMAGE_DYNAMIC) && width <= SHARED_MAX_SIZE && height <= SHARED_MAX_SIZE;
        if (!slot.shared) {
            slot.texture = gfx::CreateTexture(width, height, flags & IMAGE_FILTERED, mipmapped);
            slot.uScale = 1.0f / float(width);
            slot.vScale = 1.0f / float(height);
        }
    }
    if (slot.dirty) {
        const uint32_t* argb = pixels[index].data();
        if (!slot.shared) {
            gfx::UploadArgb(slot.texture, width, height, argb, mipmapped);
        } else if (slot.place.Live()) {
            gfx::RewriteInAtlas(slot.place, argb, gfx::TGutter::Edge);
        } else {
            const auto kind = (flags & IMAGE_FILTERED) ? gfx::TAtlasKind::Smooth : gfx::TAtlasKind::Sharp;
            gfx::PlaceInAtlas(kind, argb, width, height, gfx::TGutter::Edge, slot.place);
            slot.texture = slot.place.texture;
            slot.u0 = slot.place.U(0.0f);
            slot.v0 = slot.place.V(0.0f);
            slot.uScale = slot.place.uScale;
            slot.vScale = slot.place.vScale;
        }
        slot.dirty = false;
        // A whole mipmap chain averages far beyond one texel, so such pictures are always drawn whole.
        if (outlines.size() < pixels.size())
            outlines.resize(pixels.size());
        outlines[index] = mipmapped ? TOutline() : VisibleOutline(pixels[index], width, height);
    }
    return slot.texture ? &slot : nullptr;
}

const std::string& LastImageLoadFailure() { return lastLoadFailure; }

TImagePtr LoadImageFile(const std::string& path, int flags)
{
    TPicture picture;
    lastLoadFailure.clear();
    if (!DecodePicture(path, picture, &lastLoadFailure))
        return nullptr;
    flags = ResolveFlags(flags);
    ApplyMask(picture, flags);
    auto image = std::make_shared<TImage>(picture.width, picture.height, 0, flags);
    image->pixels.push_back(std::move(picture.argb));
    image->textures.resize(1);
    PrepareTextures(*image);
    return image;
}

TImagePtr LoadImageStrip(const std::string& path, int cellWidth, int cellHeight, int firstCell, int cellCount,
                         int flags)
{
    lastLoadFailure = "no such cells";
    if (cellWidth <= 0 || cellHeight <= 0 || firstCell < 0 || cellCount <= 0)
        return nullptr;
    TPicture picture;
    lastLoadFailure.clear();
    if (!DecodePicture(path, picture, &lastLoadFailure))
        return nullptr;
    const int across = picture.width / cellWidth;
    const long cells = long(across) * (picture.height / cellHeight);
    if (long(firstCell) + cellCount > cells) {
        lastLoadFailure = "fewer cells than asked for";
        return nullptr;
    }
    flags = ResolveFlags(flags);
    ApplyMask(picture, flags);
    auto image = std::make_shared<TImage>(cellWidth, cellHeight, cellCount, flags);
    for (int k = 0; k < cellCount; ++k) {
        const int cell = firstCell + k;
        const int left = cellWidth * (cell % across), top = cellHeight * (cell / across);
        std::vector<uint32_t>& frame = image->pixels[k];
        for (int y = 0; y < cellHeight; ++y) {
            const uint32_t* row = picture.argb.data() + size_t(top + y) * picture.width + left;
            std::copy(row, row + cellWidth, frame.begin() + size_t(y) * cellWidth);
        }
    }
    PrepareTextures(*image);
    return image;
}

void SetImageHandle(const TImagePtr& image, float x, float y)
{
    if (!image)
        return;
    image->handleX = x;
    image->handleY = y;
}

void CentreImageHandle(const TImagePtr& image)
{
    if (!image)
        return;
    image->handleX = image->width / 2.0f;
    image->handleY = image->height / 2.0f;
}

int ImageWidth(const TImagePtr& image) { return image ? image->width : 0; }
int ImageHeight(const TImagePtr& image) { return image ? image->height : 0; }

namespace {

// The solid quads drawn next to a picture may share its draw call through its page's white block.
const gfx::TWhiteTexel* WhiteOf(const TImage::TFrameTexture& slot)
{
    return slot.shared && slot.place.hasWhite ? &slot.place.white : nullptr;
}

}  // namespace

void DrawImageAt(const TImagePtr& image, float x, float y, int frame)
{
    if (!ValidFrame(image, frame))
        return;
    const TImage::TFrameTexture* slot = image->FrameTexture(frame);
    if (!slot)
        return;
    const TDrawState& s = GetDrawState();
    const bool transparentIsInvisible = s.blend == 1 || s.blend == 3 || s.blend == 4;
    if (transparentIsInvisible && frame < int(image->outlines.size()) && image->outlines[frame].used) {
        const TImage::TOutline& o = image->outlines[frame];
        gfx::TPoint at[9], uv[9];
        float midX = 0.0f, midY = 0.0f;
        for (int k = 0; k < 8; ++k) {
            midX += o.x[k] / 8.0f;
            midY += o.y[k] / 8.0f;
        }
        // at[8] and uv[8]: the middle point every triangle of the fan shares.
        for (int k = 0; k < 9; ++k) {
            const float tx = k < 8 ? o.x[k] : midX, ty = k < 8 ? o.y[k] : midY;
            at[k] = gfx::Transform(s, x, y, tx - image->handleX, ty - image->handleY);
            uv[k] = {slot->u0 + tx * slot->uScale, slot->v0 + ty * slot->vScale};
        }
        const gfx::TColour colour = gfx::StateColour();
        // Four quads of two triangles each: (middle, k, k + 1) and (middle, k + 1, k + 2).
        for (int k = 0; k < 8; k += 2) {
            const int a = k, b = k + 1, c = (k + 2) % 8;
            const gfx::TPoint quad[4] = {at[8], at[a], at[b], at[c]};
            const gfx::TPoint quadUv[4] = {uv[8], uv[a], uv[b], uv[c]};
            gfx::AddMappedQuad(slot->texture, quad, quadUv, colour, WhiteOf(*slot));
        }
        return;
    }
    gfx::TPoint corners[4];
    gfx::RectCorners(x, y, -image->handleX, -image->handleY, float(image->width), float(image->height), corners);
    gfx::AddQuad(slot->texture, corners, slot->u0, slot->v0, slot->u0 + image->width * slot->uScale,
                 slot->v0 + image->height * slot->vScale, gfx::StateColour(), WhiteOf(*slot));
}

void DrawImageRegion(const TImagePtr& image, float x, float y, float w, float h, float sx, float sy, float sw,
                     float sh, float hx, float hy, int frame)
{
    if (!ValidFrame(image, frame) || sw == 0.0f || sh == 0.0f)
        return;
    // Only the part of the source inside the frame is drawn: beyond it there are no texels of the
    // frame's own (on an atlas page, another picture's). Along each side, t runs from 0 at the source's
    // start to 1 at its end.
    float tx0 = 0.0f, tx1 = 1.0f, ty0 = 0.0f, ty1 = 1.0f;
    auto within = [](float start, float length, int size, float& t0, float& t1) {
        float a = -start / length, b = (float(size) - start) / length;
        if (a > b)
            std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        return t0 < t1;
    };
    if (!within(sx, sw, image->width, tx0, tx1) || !within(sy, sh, image->height, ty0, ty1))
        return;
    const TImage::TFrameTexture* slot = image->FrameTexture(frame);
    if (!slot)
        return;
    // The anchor is a point of the source, so it stretches with the region.
    const float left = -hx * w / sw, top = -hy * h / sh;
    gfx::TPoint corners[4];
    gfx::RectCorners(x, y, left + tx0 * w, top + ty0 * h, (tx1 - tx0) * w, (ty1 - ty0) * h, corners);
    const float u0 = sx + tx0 * sw, u1 = sx + tx1 * sw, v0 = sy + ty0 * sh, v1 = sy + ty1 * sh;
    gfx::AddQuad(slot->texture, corners, slot->u0 + u0 * slot->uScale, slot->v0 + v0 * slot->vScale,
                 slot->u0 + u1 * slot->uScale, slot->v0 + v1 * slot->vScale, gfx::StateColour(), WhiteOf(*slot));
}

TImagePtr CreateBlankImage(int width, int height, int frames, int flags)
{
    if (width <= 0 || height <= 0 || frames <= 0 || width > 16384 || height > 16384)
        return nullptr;
    return std::make_shared<TImage>(width, height, frames, ResolveFlags(flags) | IMAGE_DYNAMIC);
}

PixelBuffer PixelBuffer::Window(int x, int y, int w, int h) const
{
    const int left = std::clamp(x, 0, width), top = std::clamp(y, 0, height);
    const int right = std::clamp(x + w, left, width), bottom = std::clamp(y + h, top, height);
    PixelBuffer window;
    window.pitch = pitch;
    window.format = format;
    window.width = right - left;
    window.height = bottom - top;
    window.data = data ? data + size_t(top) * (pitch / 4) + left : nullptr;
    return window;
}

PixelBuffer LockImagePixels(const TImagePtr& image, int frame, int read, int write)
{
    PixelBuffer buffer;
    if (!ValidFrame(image, frame))
        return buffer;
    buffer.data = image->pixels[frame].data();
    buffer.width = image->width;
    buffer.height = image->height;
    buffer.pitch = image->width * 4;
    buffer.format = PIXEL_FORMAT_ARGB8888;
    // The caller may write at any time while it holds the buffer; the texture is refreshed on the next draw.
    if (frame < int(image->textures.size()))
        image->textures[frame].dirty = true;
    return buffer;
}

void UnlockImagePixels(const TImagePtr& image, int frame)
{
    if (ValidFrame(image, frame) && frame < int(image->textures.size()))
        image->textures[frame].dirty = true;
}
