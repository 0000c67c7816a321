// PixelCopy - copies of images and of rectangles of their pixels, mirrored or not, and blends of a
// frame into a pixel buffer.
#pragma once

#include <memory>

class TImage;
struct PixelBuffer;

// A new image of the same size, frame count, flags and handle with every frame's pixels copied; null
// for null.
std::shared_ptr<TImage> CopyImage(const std::shared_ptr<TImage>& image);
// Copies the rectangle (x, y, width, height) of the source's first frame to (tx, ty) of the target's
// first frame. Pixels falling outside either image are skipped; source and target may be the same
// image, overlapping rectangles included.
int CopyPixelRect(const std::shared_ptr<TImage>& source, int x, int y, int width, int height,
                  const std::shared_ptr<TImage>& target, int tx, int ty);
enum : int {
    MIRROR_NONE = 0,
    MIRROR_LEFT_RIGHT = 1,
    MIRROR_UPSIDE_DOWN = 2,
    MIRROR_BOTH = 3,
};
// As CopyPixelRect, with the rectangle mirrored within itself; other modes copy nothing.
int CopyPixelRectMirrored(const std::shared_ptr<TImage>& source, int x, int y, int width, int height,
                          const std::shared_ptr<TImage>& target, int tx, int ty, int mode);

// Mixes a frame of an image into the target buffer with its top-left at (x, y), clipped to the buffer.
// With the source pixel's alpha as a fraction As and k = clamp(alpha, 0, 1) * As:
//   colour  = source colour * brightness * k + target colour * (1 - k)
//   alpha   = 255 * k + target alpha * (1 - k)
// each clamped to 0-255 and rounded to the nearest whole value (so a colour blended over itself stays
// the same). A null image is the runtime error "image doesnt exist"; a frame out of range does nothing.
int BlendImageInto(const std::shared_ptr<TImage>& image, int frame, PixelBuffer& target, int x, int y,
                   float alpha, float brightness);
