// Utilities - number formatting, small geometry and rounding, the C library's random numbers, pixel
// copies and blends between images, ARGB packing, and text and outlines drawn at float positions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Containers.h"

class TImage;
struct PixelBuffer;

// The value's decimal text cut (not rounded) after `decimals` digits, 0 dropping the point.
// The decimal text is the shortest one that reads back as the same double (so 0.29 is "0.29", not
// "0.28999..."), written without an exponent and padded with zeros to the decimals asked for; a cut
// that leaves only zeros loses its "-". groupSize > 0 puts "," between every groupSize digits left of
// the point (never after the sign). width > 0 right-aligns the text with blanks to
// width + decimals + 1 characters, or gives "Error" right-aligned so when the text is longer.
// Infinities and NaN come out as "inf", "-inf" and "nan", under the same width rule.
std::string FormatNumber(double value, int decimals, int groupSize, int width);

// Appends the source's non-null elements to the target; 0 when either list is null or the source is
// empty, else 1. A list appended to itself doubles once.
template <typename T>
int AppendList(TList<T>* target, const TList<T>* source)
{
    if (!target || !source || source->IsEmpty())
        return 0;
    // A snapshot first: appending to the very list being walked would never end.
    const std::vector<typename TList<T>::Ref> items(source->begin(), source->end());
    for (const auto& item : items)
        if (item)
            target->AddLast(item);
    return 1;
}
template <typename T>
int AppendList(const std::shared_ptr<TList<T>>& target, const std::shared_ptr<TList<T>>& source)
{
    return AppendList(target.get(), static_cast<const TList<T>*>(source.get()));
}

// The other leg of a right triangle with hypotenuse a and leg b: sqrt(a^2 - b^2); NaN when |b| > |a|.
double LegLength(double a, double b);
double Distance(double x1, double y1, double x2, double y2);
// 1 when (px, py) lies closer than radius to the segment (x1, y1)-(x2, y2); a segment of no length is
// its one point.
int PointNearSegment(double x1, double y1, double x2, double y2, double px, double py, double radius);
// The nearest whole number, halves up (floor of x + 0.5, without that sum's rounding error); clamped to
// the int range, NaN gives 0.
int RoundNearest(double x);
// x rounded to `places` decimals (negative: to tens, hundreds...), halves away from zero, judged on the
// shortest decimal text of x, so 1.005 rounds to 1.01 as written.
double RoundToPlaces(double x, int places);
// Playback rate n semitones up: 2^(n/12).
double SemitoneRate(double n);

// The C library's generator (the game itself uses RandomInt/SeedRandom): an integer from low to high,
// both included, in either order.
int CRandomInt(int low, int high);
int CSeedRandom(int seed);

std::string EmptyText();

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

// Draws the source rectangle (sx, sy, sw, sh) of a frame stretched to w x h, its top-left corner
// anchored at (x, y) under the current rotation and scale.
int DrawImageRect(const std::shared_ptr<TImage>& image, float x, float y, float w, float h, float sx,
                  float sy, float sw, float sh, int frame = 0);
// Draws the width x height rectangle at (sx, sy) of the first frame, unstretched, its top-left at (x, y).
int DrawImagePart(const std::shared_ptr<TImage>& image, float x, float y, float sx, float sy, float width,
                  float height);

// Mixes a frame of an image into the target buffer with its top-left at (x, y), clipped to the buffer.
// With the source pixel's alpha as a fraction As and k = clamp(alpha, 0, 1) * As:
//   colour  = source colour * brightness * k + target colour * (1 - k)
//   alpha   = 255 * k + target alpha * (1 - k)
// each clamped to 0-255 and rounded to the nearest whole value (so a colour blended over itself stays
// the same). A null image is the runtime error "image doesnt exist"; a frame out of range does nothing.
int BlendImageInto(const std::shared_ptr<TImage>& image, int frame, PixelBuffer& target, int x, int y,
                   float alpha, float brightness);

// 32-bit ARGB pixels: alpha in the top byte, blue in the lowest. PackARGB clamps each part to 0-255 so
// one part never spills into the next.
int ColorAlpha(int argb);
int ColorRed(int argb);
int ColorGreen(int argb);
int ColorBlue(int argb);
int PackARGB(int a, int r, int g, int b);

// Draws text glyph by glyph in the current font, colour, rotation and scale, with the pen starting at
// (x, y) as for DrawTextAt and `spacing` extra font pixels after each glyph (scaled and turned with the
// text). With spacing 0 this draws exactly what DrawTextAt draws.
int DrawTextTransformed(const std::string& text, float x, float y, float spacing);
// The same, with each glyph's x rounded down to a whole pixel; the pen itself keeps its fraction, so
// the rounding never adds up along the line.
int DrawTextTransformedSnapped(const std::string& text, float x, float y, float spacing);

// As DrawRectOutline, at float corners (x, y) and (x + width, y + height).
int DrawRectOutlineF(float x, float y, float width, float height);
