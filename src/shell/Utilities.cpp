// Utilities - number formatting, small geometry and rounding, the C library's random numbers, pixel
// copies and blends between images, ARGB packing, and text and outlines drawn at float positions.
#include "shell/Utilities.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "platform/Platform.h"

namespace {

// Past this many decimals every double's shortest text has run out of digits (the smallest one
// has 324), so more would only be zeros; the cap keeps a wild argument from asking for gigabytes.
constexpr int MAX_DECIMALS = 340;

// The shortest text that reads back as the same double, in positional notation ("1e+20" is spelled out).
std::string ShortestDecimalText(double value)
{
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string FormatNumber(double value, int decimals, int groupSize, int width)
{
    const int places = std::clamp(decimals, 0, MAX_DECIMALS);
    std::string text;
    if (std::isnan(value)) {
        text = "nan";
    } else if (std::isinf(value)) {
        text = value < 0 ? "-inf" : "inf";
    } else {
        std::string digits = ShortestDecimalText(value);
        const bool negative = digits.front() == '-';
        if (negative)
            digits.erase(0, 1);
        const size_t point = digits.find('.');
        std::string whole = digits.substr(0, point);
        std::string fraction = point == std::string::npos ? std::string() : digits.substr(point + 1);
        // Cut, never rounded; a shorter text is padded so "5" with two decimals reads "5.00".
        fraction.resize(size_t(places), '0');

        // The sign is kept out of the grouping, so "-123456" never becomes "-,123,456".
        if (groupSize > 0)
            for (size_t at = whole.size(); at > size_t(groupSize);) {
                at -= size_t(groupSize);
                whole.insert(at, ",");
            }

        // -0.5 cut to no decimals is plain "0".
        const bool nonZero = (whole + fraction).find_first_of("123456789") != std::string::npos;
        text = (negative && nonZero ? "-" : "") + whole + (places > 0 ? "." + fraction : "");
    }

    if (width > 0) {
        const size_t field = size_t(width) + size_t(places) + 1;
        if (text.size() > field)
            text = "Error";
        if (text.size() < field)
            text.insert(0, field - text.size(), ' ');
    }
    return text;
}

double LegLength(double a, double b) { return std::sqrt(a * a - b * b); }

double Distance(double x1, double y1, double x2, double y2) { return std::hypot(x2 - x1, y2 - y1); }

int PointNearSegment(double x1, double y1, double x2, double y2, double px, double py, double radius)
{
    const double dx = x2 - x1, dy = y2 - y1;
    const double lengthSquared = dx * dx + dy * dy;
    // The nearest point of the segment, as a fraction along it; past either end the end itself.
    double t = 0.0;
    if (lengthSquared > 0.0)
        t = std::clamp(((px - x1) * dx + (py - y1) * dy) / lengthSquared, 0.0, 1.0);
    return Distance(x1 + t * dx, y1 + t * dy, px, py) < radius ? 1 : 0;
}

int RoundNearest(double x)
{
    if (std::isnan(x))
        return 0;
    // x + 0.5 itself can round: 0.49999999999999994 + 0.5 is 1.0 in doubles. x - floor(x) is exact.
    double whole = std::floor(x);
    if (x - whole >= 0.5)
        whole += 1.0;
    return int(std::clamp(whole, double(INT_MIN), double(INT_MAX)));
}

double RoundToPlaces(double x, int places)
{
    if (!std::isfinite(x) || x == 0.0)
        return x;
    // The shortest digits of |x| as d.ddd e exp, so the value is 0.dddd x 10^(exp + 1).
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x), std::chars_format::scientific);
    const std::string text(buffer, written.ptr);
    const size_t e = text.find('e');
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    long long scale = std::atoll(text.c_str() + e + 1) + 1;

    // Digits standing for 10^-places and above are kept; the next one decides.
    const long long keep = scale + places;
    if (keep >= (long long)digits.size())
        return x;
    if (keep < 0)
        return std::copysign(0.0, x);
    std::string kept = digits.substr(0, size_t(keep));
    if (digits[size_t(keep)] >= '5') {
        long long i = keep - 1;
        while (i >= 0 && kept[size_t(i)] == '9')
            kept[size_t(i--)] = '0';
        if (i < 0) {
            kept.insert(0, "1");
            ++scale;
        } else {
            ++kept[size_t(i)];
        }
    }
    if (kept.empty())
        return std::copysign(0.0, x);
    const std::string rounded = "0." + kept + "e" + std::to_string(scale);
    double result = 0.0;
    const auto parsed = std::from_chars(rounded.data(), rounded.data() + rounded.size(), result);
    if (parsed.ec == std::errc::result_out_of_range)
        result = HUGE_VAL;   // rounded up past the largest double
    return std::copysign(result, x);
}

double SemitoneRate(double n) { return std::pow(2.0, n / 12.0); }

int CRandomInt(int low, int high)
{
    if (low > high)
        std::swap(low, high);
    // Scaled rather than taken modulo, so the low bits' patterns do not show; 64-bit so the full int
    // range does not overflow.
    const long long span = (long long)high - low + 1;
    const double unit = std::rand() / (double(RAND_MAX) + 1.0);
    return int(low + (long long)(unit * double(span)));
}

int CSeedRandom(int seed)
{
    std::srand(unsigned(seed));
    return 0;
}

std::string EmptyText() { return ""; }

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

int DrawImageRect(const TImagePtr& image, float x, float y, float w, float h, float sx, float sy, float sw,
                  float sh, int frame)
{
    DrawImageRegion(image, x, y, w, h, sx, sy, sw, sh, 0.0f, 0.0f, frame);
    return 0;
}

int DrawImagePart(const TImagePtr& image, float x, float y, float sx, float sy, float width, float height)
{
    DrawImageRegion(image, x, y, width, height, sx, sy, width, height, 0.0f, 0.0f, 0);
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

int ColorAlpha(int argb) { return int((uint32_t(argb) >> 24) & 255); }
int ColorRed(int argb) { return int((uint32_t(argb) >> 16) & 255); }
int ColorGreen(int argb) { return int((uint32_t(argb) >> 8) & 255); }
int ColorBlue(int argb) { return int(uint32_t(argb) & 255); }

int PackARGB(int a, int r, int g, int b)
{
    auto part = [](int value) { return uint32_t(std::clamp(value, 0, 255)); };
    return int(part(a) << 24 | part(r) << 16 | part(g) << 8 | part(b));
}

namespace {

int DrawTextGlyphByGlyph(const std::string& text, float x, float y, float spacing, bool snapX)
{
    const TDrawState& state = GetDrawState();
    // Float sums in DrawTextAt's order, so spacing 0 lands every glyph on the very same spot.
    float penX = x, penY = y;
    for (char32_t c : DecodeUtf8(text)) {
        const int advance = GlyphAdvance(c);
        if (advance < 0)
            continue;
        DrawGlyphAt(c, snapX ? std::floor(penX) : penX, penY);
        const float step = float(advance) + spacing;
        penX += step * state.ix;
        penY += step * state.jx;
    }
    return 0;
}

}  // namespace

int DrawTextTransformed(const std::string& text, float x, float y, float spacing)
{
    return DrawTextGlyphByGlyph(text, x, y, spacing, false);
}

int DrawTextTransformedSnapped(const std::string& text, float x, float y, float spacing)
{
    return DrawTextGlyphByGlyph(text, x, y, spacing, true);
}

int DrawRectOutlineF(float x, float y, float width, float height)
{
    const float right = x + width, bottom = y + height;
    // The order and the missing end pixels of DrawRectOutline: each line stops where the next begins.
    DrawLine(x, y, right, y, 0);
    DrawLine(right, y, right, bottom, 0);
    DrawLine(right, bottom, x, bottom, 0);
    DrawLine(x, bottom, x, y, 0);
    return 0;
}
