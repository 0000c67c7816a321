// Images - pictures of one or more equal frames, kept in memory and turned into textures on first draw.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum : int {
    IMAGE_MASKED = 1,
    IMAGE_FILTERED = 2,
    IMAGE_MIPMAPPED = 4,
    IMAGE_DYNAMIC = 8,
    IMAGE_DEFAULT_FLAGS = -1,   // masked + filtered
};

class TImage {
public:
    TImage(int width, int height, int frameCount, int flags);
    ~TImage();
    TImage(const TImage&) = delete;
    TImage& operator=(const TImage&) = delete;

    int width = 0;    // of one frame
    int height = 0;
    int flags = 0;
    float handleX = 0.0f;
    float handleY = 0.0f;

    int FrameCount() const { return static_cast<int>(pixels.size()); }
    // Builds the frame's texture for the open display now, if it is not built yet.
    // Returns the texture name (0 when no display is open or the index is out of range).
    unsigned Frame(int index);
    struct TFrameTexture;
    // The same, with where the frame's texels are in its texture; null when Frame would give 0.
    const TFrameTexture* FrameTexture(int index);

    // Frame pixels, 0xAARRGGBB, row-major, width * height each.
    std::vector<std::vector<uint32_t>> pixels;

    // Where each frame's texels are on the open display, kept by the drawing layer.
    std::vector<TFrameTexture> textures;
    // Per frame, an octagon in texel coordinates (clockwise from the left end of its top edge) outside of
    // which the frame shows nothing, even through bilinear filtering; `used` is false when the frame is
    // drawn as its whole rectangle. Remade with the texture.
    struct TOutline { bool used = false; float x[8] = {}, y[8] = {}; };
    std::vector<TOutline> outlines;
};

using TImagePtr = std::shared_ptr<TImage>;

// PNG (also BMP, JPEG, TGA). Null when missing or unreadable; never throws.
TImagePtr LoadImageFile(const std::string& path, int flags);
TImagePtr LoadImageStrip(const std::string& path, int cellWidth, int cellHeight, int firstCell,
                         int cellCount, int flags);
// Has the file decoded on the preload thread (see Preload.h), for the next load of it (of an image or
// the window's icon) to take.
void PreloadPicture(const std::string& path);
// Why the last LoadImageFile or LoadImageStrip gave null: "missing", "not a regular file", "too large",
// "no permission", "not a picture" (or "unreadable"); empty after a success.
const std::string& LastImageLoadFailure();
void SetImageHandle(const TImagePtr& image, float x, float y);
void CentreImageHandle(const TImagePtr& image);
int ImageWidth(const TImagePtr& image);
int ImageHeight(const TImagePtr& image);

void DrawImageAt(const TImagePtr& image, float x, float y, int frame);
// Draws the source rectangle (sx, sy, sw, sh) of a frame stretched to w x h; the anchor (hx, hy) is a
// point of the source rectangle, measured from its top-left, and stretches with it.
void DrawImageRegion(const TImagePtr& image, float x, float y, float w, float h, float sx, float sy,
                     float sw, float sh, float hx, float hy, int frame);

TImagePtr CreateBlankImage(int width, int height, int frames, int flags);

// How a pixel buffer's pixels are stored. Images keep theirs as 32-bit 0xAARRGGBB in native byte order.
enum : int { PIXEL_FORMAT_ARGB8888 = 1 };

// A frame's pixels (or a rectangular window of them), read and written as 0xAARRGGBB.
struct PixelBuffer {
    uint32_t* data = nullptr;   // first pixel of the window
    int width = 0;
    int height = 0;
    int pitch = 0;              // bytes per row of the underlying frame
    int format = 0;             // PIXEL_FORMAT_*; 0 for a buffer with no pixels
    uint32_t Read(int x, int y) const { return data[y * (pitch / 4) + x]; }
    void Write(int x, int y, uint32_t argb) { data[y * (pitch / 4) + x] = argb; }
    // A window sharing these pixels; clipped to the buffer.
    PixelBuffer Window(int x, int y, int w, int h) const;
};
PixelBuffer LockImagePixels(const TImagePtr& image, int frame, int read, int write);
void UnlockImagePixels(const TImagePtr& image, int frame);
