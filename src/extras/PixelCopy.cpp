// PixelCopy - copies of images and of rectangles of their pixels, mirrored or not, and blends of a
// frame into a pixel buffer.
#include "extras/PixelCopy.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/Image.h"
#include "platform/Process.h"

TImagePtr CopyImage(const TImagePtr& image)
{
    if (!image)
        return nullptr;
    // Made directly rather than through CreateBlankImage, which would add the dynamic flag.
    auto copy = std::make_shared<TImage>(image->width, image->height, image->FrameCount(), image->flags);
    copy->handleX = image->handleX;
    copy->handleY = image->handleY;
    for (int frame = 0; frame < image->FrameCount(); ++frame) {
        const PixelBuffer from = LockImagePixels(image, frame, 1, 0);
        PixelBuffer to = LockImagePixels(copy, frame, 0, 1);
        for (int y = 0; y < from.height; ++y)
            for (int x = 0; x < from.width; ++x)
                to.Write(x, y, from.Read(x, y));
        UnlockImagePixels(copy, frame);
        UnlockImagePixels(image, frame);
    }
    return copy;
}

namespace {

// The offsets i in [0, length) for which both the source position start + i and the target position
// (target + i, or target + length - 1 - i when mirrored) lie inside their images.
void ClipSpan(long long start, long long length, long long sourceSize, long long target, long long targetSize,
              bool mirrored, long long& first, long long& last)
{
    first = std::max({0LL, -start, mirrored ? target + length - targetSize : -target});
    last = std::min({length, sourceSize - start, mirrored ? target + length : targetSize - target});
}

}  // namespace

int CopyPixelRect(const TImagePtr& source, int x, int y, int width, int height, const TImagePtr& target, int tx,
                  int ty)
{
    return CopyPixelRectMirrored(source, x, y, width, height, target, tx, ty, MIRROR_NONE);
}

int CopyPixelRectMirrored(const TImagePtr& source, int x, int y, int width, int height, const TImagePtr& target,
                          int tx, int ty, int mode)
{
    if (!source || !target || mode < MIRROR_NONE || mode > MIRROR_BOTH || width <= 0 || height <= 0)
        return 0;
    const PixelBuffer from = LockImagePixels(source, 0, 1, 0);
    PixelBuffer to = LockImagePixels(target, 0, 0, 1);
    const bool flipX = (mode & MIRROR_LEFT_RIGHT) != 0, flipY = (mode & MIRROR_UPSIDE_DOWN) != 0;
    long long left = 0, right = 0, top = 0, bottom = 0;
    ClipSpan(x, width, from.width, tx, to.width, flipX, left, right);
    ClipSpan(y, height, from.height, ty, to.height, flipY, top, bottom);
    if (from.data && to.data && left < right && top < bottom) {
        // Read everything before writing anything: source and target may be the same pixels.
        std::vector<uint32_t> pixels;
        pixels.reserve(size_t((right - left) * (bottom - top)));
        for (long long j = top; j < bottom; ++j)
            for (long long i = left; i < right; ++i)
                pixels.push_back(from.Read(int(x + i), int(y + j)));
        size_t next = 0;
        for (long long j = top; j < bottom; ++j)
            for (long long i = left; i < right; ++i) {
                const long long col = flipX ? tx + width - 1 - i : tx + i;
                const long long row = flipY ? ty + height - 1 - j : ty + j;
                to.Write(int(col), int(row), pixels[next++]);
            }
    }
    UnlockImagePixels(target, 0);
    UnlockImagePixels(source, 0);
    return 0;
}

namespace {

// 0-255, rounded to the nearest; NaN (a NaN brightness, say) gives 0.
uint32_t ToByte(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 255.0)
        return 255;
    return uint32_t(value + 0.5);
}

}  // namespace

int BlendImageInto(const TImagePtr& image, int frame, PixelBuffer& target, int x, int y, float alpha,
                   float brightness)
{
    if (!image)
        RuntimeError("image doesnt exist");
    if (frame < 0 || frame >= image->FrameCount() || !target.data)
        return 0;
    const PixelBuffer from = LockImagePixels(image, frame, 1, 0);
    const double strength = std::clamp(double(alpha), 0.0, 1.0);
    const long long left = std::max(0LL, -(long long)x), top = std::max(0LL, -(long long)y);
    const long long right = std::min((long long)from.width, (long long)target.width - x);
    const long long bottom = std::min((long long)from.height, (long long)target.height - y);
    for (long long j = top; j < bottom; ++j)
        for (long long i = left; i < right; ++i) {
            const uint32_t s = from.Read(int(i), int(j));
            const uint32_t d = target.Read(int(x + i), int(y + j));
            const double k = strength * double(s >> 24) / 255.0;
            auto mix = [&](int shift) {
                const double source = double((s >> shift) & 255) * brightness;
                return ToByte(source * k + double((d >> shift) & 255) * (1.0 - k)) << shift;
            };
            const uint32_t a = ToByte(255.0 * k + double(d >> 24) * (1.0 - k));
            target.Write(int(x + i), int(y + j), (a << 24) | mix(16) | mix(8) | mix(0));
        }
    UnlockImagePixels(image, frame);
    return 0;
}
