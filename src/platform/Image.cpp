// Image - pictures kept in memory as ARGB frames, turned into textures on first draw per display,
// and the image, rectangle and line drawing operations.
#include "platform/Image.h"

#include <algorithm>
#include <cmath>

#include "platform/DrawBatch.h"
#include "platform/ImageDecode.h"

namespace {

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

// Explosions and rings are large pictures, mostly transparent, scaled far up: on a software rasteriser
// blending their empty texels is most of a frame's cost. Cells of this many texels whose alpha is zero
// throughout, and one texel beyond (what bilinear filtering reads), change no pixel under masked, alpha
// or light blending, so those pictures are drawn as the rectangles of the other cells only.
constexpr int CELL = 8;
// Splitting pays only when it saves a good part of the area.
constexpr double MOST_OF_THE_AREA = 0.8;

std::vector<TImage::TTexelRect> VisibleRects(const std::vector<uint32_t>& argb, int w, int h)
{
    std::vector<TImage::TTexelRect> rects;
    if (w < 4 * CELL || h < 4 * CELL)
        return rects;
    const int across = (w + CELL - 1) / CELL, down = (h + CELL - 1) / CELL;
    std::vector<uint8_t> used(size_t(across) * down, 0);
    int usedCount = 0;
    for (int cy = 0; cy < down; ++cy)
        for (int cx = 0; cx < across; ++cx) {
            const int x0 = std::max(0, cx * CELL - 1), x1 = std::min(w, (cx + 1) * CELL + 1);
            const int y0 = std::max(0, cy * CELL - 1), y1 = std::min(h, (cy + 1) * CELL + 1);
            bool any = false;
            for (int y = y0; y < y1 && !any; ++y)
                for (int x = x0; x < x1 && !any; ++x)
                    any = (argb[size_t(y) * w + x] >> 24) != 0;
            used[size_t(cy) * across + cx] = any;
            usedCount += any;
        }
    if (usedCount > MOST_OF_THE_AREA * across * down)
        return rects;
    // One quad per cell, never merged: merged runs would meet their neighbours in T-junctions, whose
    // inner corner the rasteriser rounds off the shared edge, leaving a crack a pixel could fall through.
    // On a whole grid every edge joins the same two corners in both of its cells.
    for (int cy = 0; cy < down; ++cy)
        for (int cx = 0; cx < across; ++cx)
            if (used[size_t(cy) * across + cx])
                rects.push_back({cx * CELL, cy * CELL, std::min(w, (cx + 1) * CELL), std::min(h, (cy + 1) * CELL)});
    return rects;
}

bool ValidFrame(const TImagePtr& image, int frame)
{
    return image && frame >= 0 && frame < image->FrameCount();
}

}  // namespace

TImage::TImage(int w, int h, int frameCount, int f) : width(w), height(h), flags(f)
{
    pixels.assign(std::max(frameCount, 0), std::vector<uint32_t>(size_t(std::max(w, 0)) * std::max(h, 0), 0));
    textures.resize(pixels.size());
}

TImage::~TImage()
{
    for (const TTextureSlot& slot : textures)
        gfx::ReleaseTexture(slot.texture, slot.displayGeneration);
}

unsigned TImage::Frame(int index)
{
    const uint64_t generation = gfx::DisplayGeneration();
    if (generation == 0 || index < 0 || index >= FrameCount() || width <= 0 || height <= 0)
        return 0;
    if (textures.size() < pixels.size())
        textures.resize(pixels.size());
    TTextureSlot& slot = textures[index];
    if (slot.texture == 0 || slot.displayGeneration != generation) {
        // A texture of an earlier display died with its context; this display needs its own.
        slot.texture = gfx::CreateTexture(width, height, flags & IMAGE_FILTERED, flags & IMAGE_MIPMAPPED, false);
        slot.displayGeneration = generation;
        slot.dirty = true;
    }
    if (slot.dirty && slot.texture) {
        gfx::UploadArgb(slot.texture, width, height, pixels[index].data(), flags & IMAGE_MIPMAPPED);
        slot.dirty = false;
        // Mipmaps average far beyond one texel, so mipmapped pictures are always drawn whole.
        if (visibleRects.size() < pixels.size())
            visibleRects.resize(pixels.size());
        visibleRects[index] = (flags & IMAGE_MIPMAPPED) ? std::vector<TTexelRect>()
                                                        : VisibleRects(pixels[index], width, height);
    }
    return slot.texture;
}

TImagePtr LoadImageFile(const std::string& path, int flags)
{
    TPicture picture;
    if (!DecodePicture(path, picture))
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
    if (cellWidth <= 0 || cellHeight <= 0 || firstCell < 0 || cellCount <= 0)
        return nullptr;
    TPicture picture;
    if (!DecodePicture(path, picture))
        return nullptr;
    const int across = picture.width / cellWidth;
    const long cells = long(across) * (picture.height / cellHeight);
    if (long(firstCell) + cellCount > cells)
        return nullptr;
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

// The rectangle (left, top)-(left + w, top + h) in local coordinates, through the matrix, anchored at (x, y).
void Corners(float x, float y, float left, float top, float w, float h, gfx::TPoint out[4])
{
    const TDrawState& s = GetDrawState();
    out[0] = gfx::Transform(s, x, y, left, top);
    out[1] = gfx::Transform(s, x, y, left + w, top);
    out[2] = gfx::Transform(s, x, y, left + w, top + h);
    out[3] = gfx::Transform(s, x, y, left, top + h);
}

}  // namespace

void DrawImageAt(const TImagePtr& image, float x, float y, int frame)
{
    if (!ValidFrame(image, frame))
        return;
    const unsigned texture = image->Frame(frame);
    if (!texture)
        return;
    const int blend = GetDrawState().blend;
    const bool transparentIsInvisible = blend == 1 || blend == 3 || blend == 4;
    if (transparentIsInvisible && frame < int(image->visibleRects.size()) && !image->visibleRects[frame].empty()) {
        const float iw = 1.0f / image->width, ih = 1.0f / image->height;
        const gfx::TColour colour = gfx::StateColour();
        for (const TImage::TTexelRect& r : image->visibleRects[frame]) {
            gfx::TPoint corners[4];
            Corners(x, y, r.x0 - image->handleX, r.y0 - image->handleY, float(r.x1 - r.x0), float(r.y1 - r.y0),
                    corners);
            gfx::AddQuad(texture, corners, r.x0 * iw, r.y0 * ih, r.x1 * iw, r.y1 * ih, colour);
        }
        return;
    }
    gfx::TPoint corners[4];
    Corners(x, y, -image->handleX, -image->handleY, float(image->width), float(image->height), corners);
    gfx::AddQuad(texture, corners, 0.0f, 0.0f, 1.0f, 1.0f, gfx::StateColour());
}

void DrawImageRegion(const TImagePtr& image, float x, float y, float w, float h, float sx, float sy, float sw,
                     float sh, float hx, float hy, int frame)
{
    if (!ValidFrame(image, frame) || sw == 0.0f || sh == 0.0f)
        return;
    const unsigned texture = image->Frame(frame);
    if (!texture)
        return;
    // The anchor is a point of the source, so it stretches with the region.
    const float left = -hx * w / sw, top = -hy * h / sh;
    gfx::TPoint corners[4];
    Corners(x, y, left, top, w, h, corners);
    const float iw = 1.0f / image->width, ih = 1.0f / image->height;
    gfx::AddQuad(texture, corners, sx * iw, sy * ih, (sx + sw) * iw, (sy + sh) * ih, gfx::StateColour());
}

void DrawRect(float x, float y, float w, float h)
{
    gfx::TPoint corners[4];
    Corners(x, y, 0.0f, 0.0f, w, h, corners);
    gfx::AddSolidQuad(corners, gfx::StateColour());
}

void DrawLine(float x1, float y1, float x2, float y2, int lastPixel)
{
    const TDrawState& s = GetDrawState();
    const gfx::TPoint end = gfx::Transform(s, x1, y1, x2 - x1, y2 - y1);
    // A one-pixel-wide quad through the pixel centres, stepped along the major axis like a classic
    // line routine: it covers max(|dx|, |dy|) pixels, one more when the last pixel is wanted.
    const float dx = end.x - x1, dy = end.y - y1;
    const float major = std::max(std::fabs(dx), std::fabs(dy));
    if (major == 0.0f && !lastPixel)
        return;
    const float cx1 = x1 + 0.5f, cy1 = y1 + 0.5f, cx2 = end.x + 0.5f, cy2 = end.y + 0.5f;
    float stepX = 1.0f, stepY = 0.0f;   // half a pixel along the major axis, per unit
    if (major > 0.0f) {
        stepX = dx / major;
        stepY = dy / major;
    }
    const bool xMajor = std::fabs(stepX) >= std::fabs(stepY);
    const float sideX = xMajor ? 0.0f : 0.5f, sideY = xMajor ? 0.5f : 0.0f;
    const float tail = lastPixel ? 0.5f : -0.5f;
    const float ax = cx1 - 0.5f * stepX, ay = cy1 - 0.5f * stepY;
    const float bx = cx2 + tail * stepX, by = cy2 + tail * stepY;
    const gfx::TPoint corners[4] = {
        {ax - sideX, ay - sideY}, {bx - sideX, by - sideY}, {bx + sideX, by + sideY}, {ax + sideX, ay + sideY}};
    gfx::AddSolidQuad(corners, gfx::StateColour());
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
