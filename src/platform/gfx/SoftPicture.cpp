// SoftPicture - the rasteriser's arithmetic for the quads the game draws, on the CPU.
//
// Pixels are covered where their centre lies inside the rectangle (left and top edges included), texels
// are read bilinearly with weights in 256ths from smooth textures and as the nearest one from sharp
// ones, the texel is multiplied by the quad's colour in floating point and rounded to a byte, and the
// blend modes work on bytes, each product rounded as an exact division by 255. That is how the software
// rasteriser the game is drawn with works for these formats; where its own rounding differs (the weights
// of a filtered texel, a pixel centre exactly on an edge) a channel is off by a step or so, which no one
// can see in the few milliseconds the painted picture stands before the GL one replaces it.
#include "platform/gfx/SoftPicture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace gfx {
namespace {

// A pixel's four bytes, each in a 16-bit lane (four lanes unused), in the order they lie in memory: one
// vector operation works on all four channels. Every value here stays below 2^16.
using TLanes = uint16_t __attribute__((vector_size(16)));
using TLaneBytes = uint8_t __attribute__((vector_size(8)));
// The lane of each channel of a 0xAARRGGBB word.
constexpr bool LITTLE = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
constexpr int LANE_B = LITTLE ? 0 : 3, LANE_G = LITTLE ? 1 : 2, LANE_R = LITTLE ? 2 : 1, LANE_A = LITTLE ? 3 : 0;

TLanes Lanes(uint32_t argb)
{
    TLaneBytes bytes{};
    std::memcpy(&bytes, &argb, sizeof argb);
    return __builtin_convertvector(bytes, TLanes);
}

uint32_t Word(TLanes lanes)
{
    const TLaneBytes bytes = __builtin_convertvector(lanes, TLaneBytes);
    uint32_t argb;
    std::memcpy(&argb, &bytes, sizeof argb);
    return argb;
}

TLanes Splat(int value) { return TLanes{} + uint16_t(value); }

// a * b / 255, rounded, lane by lane.
TLanes Times(TLanes a, TLanes b)
{
    const TLanes p = a * b + 128;
    return (p + (p >> 8)) >> 8;
}

int Byte(float unit) { return std::clamp(int(unit * 255.0f + 0.5f), 0, 255); }

// (a * (256 - weight) + b * weight + 128) / 256 in each of the four bytes at once: two bytes per pass,
// each in a 16-bit lane that the sum never overflows.
uint32_t Lerp(uint32_t a, uint32_t b, int weight)
{
    const uint32_t keep = uint32_t(256 - weight), take = uint32_t(weight);
    const uint32_t even = ((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * take + 0x800080u) >> 8 & 0xFF00FFu;
    const uint32_t odd = ((a >> 8 & 0xFF00FFu) * keep + (b >> 8 & 0xFF00FFu) * take + 0x800080u) & 0xFF00FF00u;
    return even | odd;
}

// x within [low, high], NaN as low: far, infinite and undefined points are clamped before a conversion
// to int could overflow.
float Within(float x, float low, float high) { return !(x >= low) ? low : x > high ? high : x; }

// x, rounded by `round`, as a whole number within [-1, size + 1].
template <typename TRound>
int Whole(float x, int size, TRound round)
{
    return int(round(Within(x, -1.0f, float(size) + 1.0f)));
}

// Where a texture point falls along an axis of `size` texels: the texel and the next one, clamped to
// the edge, and, filtering, the next one's weight in 256ths.
struct TTap {
    int texel, next, weight;
};

TTap Tap(float point, int size, bool smooth)
{
    // Beyond the texture's edges every point reads the edge.
    point = Within(point, -1.0f, 2.0f);
    if (!smooth) {
        const int texel = std::clamp(int(std::floor(point * float(size))), 0, size - 1);
        return {texel, texel, 0};
    }
    const int fixed = int(std::floor((point * float(size) - 0.5f) * 256.0f));
    return {std::clamp(fixed >> 8, 0, size - 1), std::clamp((fixed >> 8) + 1, 0, size - 1), fixed & 0xFF};
}

// The fragment the shader gives for a texel and a quad's colour, blended into the pixel `under` as the
// blend mode says; `under` itself where masked drawing cuts the fragment away. The shader multiplies in
// floating point and the result is rounded to a byte: the exact product of two bytes over 255 is never
// within rounding of a half, so rounding it in integers gives the same byte. Blending works on bytes.
uint32_t ShadeAndBlend(uint32_t texel, TLanes colour, int blend, uint32_t under)
{
    // Masked drawing cuts away what has under half alpha: below 255 * 255 / 2.
    if (blend != 2 && blend != 3 && blend != 4 && blend != 5 && int(texel >> 24) * colour[LANE_A] * 2 < 255 * 255)
        return under;
    const TLanes s = Times(Lanes(texel), colour);
    const int sa = s[LANE_A];
    switch (blend) {
    case 3: {
        // Colour: source times its alpha plus what is under times the rest; alpha: the source's plus
        // what is under times the rest.
        TLanes mine = Splat(sa);
        mine[LANE_A] = 255;
        return Word(Times(s, mine) + Times(Lanes(under), Splat(255 - sa)));
    }
    case 4: {
        // Light adds the source times its alpha, and keeps the alpha under.
        TLanes mine = Splat(sa);
        mine[LANE_A] = 0;
        const TLanes sum = Times(s, mine) + Lanes(under);
        return Word(sum > 255 ? Splat(255) : sum);
    }
    case 5: {
        // Shade multiplies what is under by the source's colour, and keeps the alpha under.
        TLanes mine = s;
        mine[LANE_A] = 255;
        return Word(Times(Lanes(under), mine));
    }
    default:
        return Word(s);
    }
}


// The pixels whose centres lie in [from, to): first and one past the last, within [0, size).
void Span(float from, float to, int size, int& first, int& end)
{
    auto up = [](float x) { return std::ceil(x); };
    first = std::max(0, Whole(from - 0.5f, size, up));
    end = std::min(size, Whole(to - 0.5f, size, up));
}

// Quad q is an upright rectangle mapped straight onto a texture rectangle.
bool Upright(const TRecording& r, size_t q)
{
    const TVertex* v = &r.vertices[q * 4];
    return v[0].y == v[1].y && v[1].x == v[2].x && v[2].y == v[3].y && v[3].x == v[0].x && v[0].u == v[3].u &&
           v[1].u == v[2].u && v[0].v == v[1].v && v[2].v == v[3].v;
}

// What quad q, an upright one, covers of the width x height picture.
void PaintQuad(const TRecording& r, size_t q, const TCommand& c, const TTexels& texels, int width, int height,
               uint32_t* argb, std::vector<TTap>& columns)
{
    const TVertex* v = &r.vertices[q * 4];
    if (v[0].x == v[1].x || v[0].y == v[3].y)
        return;
    int x0, x1, y0, y1;
    Span(std::min(v[0].x, v[1].x), std::max(v[0].x, v[1].x), width, x0, x1);
    Span(std::min(v[0].y, v[3].y), std::max(v[0].y, v[3].y), height, y0, y1);
    if (x0 >= x1 || y0 >= y1)
        return;
    // Texture points along each axis at the pixels' centres, worked out once per column.
    const float du = (v[1].u - v[0].u) / (v[1].x - v[0].x), dv = (v[3].v - v[0].v) / (v[3].y - v[0].y);
    columns.resize(size_t(x1 - x0));
    for (int x = x0; x < x1; ++x)
        columns[size_t(x - x0)] = Tap(v[0].u + (float(x) + 0.5f - v[0].x) * du, texels.width, texels.smooth);
    TLanes colour{};
    colour[LANE_R] = v[0].colour.r;
    colour[LANE_G] = v[0].colour.g;
    colour[LANE_B] = v[0].colour.b;
    colour[LANE_A] = v[0].colour.a;
    // Where nothing covers a pixel, blending with no alpha (or cutting it away) leaves it as it is.
    const bool clearKeeps = c.blend != 2 && c.blend != 5;
    for (int y = y0; y < y1; ++y) {
        const TTap row = Tap(v[0].v + (float(y) + 0.5f - v[0].y) * dv, texels.height, texels.smooth);
        const uint32_t* upper = texels.argb + size_t(row.texel) * texels.width;
        const uint32_t* lower = texels.argb + size_t(row.next) * texels.width;
        uint32_t* out = argb + size_t(y) * width;
        for (int x = x0; x < x1; ++x) {
            const TTap& column = columns[size_t(x - x0)];
            uint32_t sample;
            if (texels.smooth) {
                const uint32_t a = upper[column.texel], b = upper[column.next], cc = lower[column.texel],
                               d = lower[column.next];
                if (clearKeeps && ((a | b | cc | d) >> 24) == 0)
                    continue;
                sample = Lerp(Lerp(a, b, column.weight), Lerp(cc, d, column.weight), row.weight);
            } else {
                sample = upper[column.texel];
                if (clearKeeps && (sample >> 24) == 0)
                    continue;
            }
            out[x] = ShadeAndBlend(sample, colour, c.blend, out[x]);
        }
    }
}

}  // namespace

std::vector<TBox> CoveredBoxes(const TRecording& r, int width, int height)
{
    // Each row's reach, left and right, over the quads that may touch it.
    std::vector<int> left(size_t(std::max(height, 0)), width), right(size_t(std::max(height, 0)), 0);
    for (size_t q = 0; q < r.quadCommand.size(); ++q) {
        // An upright quad lies between its first corner and the opposite one.
        const TVertex* v = &r.vertices[q * 4];
        const float minX = std::min(v[0].x, v[2].x), maxX = std::max(v[0].x, v[2].x);
        const float minY = std::min(v[0].y, v[2].y), maxY = std::max(v[0].y, v[2].y);
        auto down = [](float x) { return std::floor(x); };
        auto up = [](float x) { return std::ceil(x); };
        const int x0 = std::max(Whole(minX, width, down) - 1, 0), x1 = std::min(Whole(maxX, width, up) + 1, width);
        const int y0 = std::max(Whole(minY, height, down) - 1, 0), y1 = std::min(Whole(maxY, height, up) + 1, height);
        for (int y = y0; y < y1 && x0 < x1; ++y) {
            left[size_t(y)] = std::min(left[size_t(y)], x0);
            right[size_t(y)] = std::max(right[size_t(y)], x1);
        }
    }
    std::vector<TBox> boxes;
    for (int y = 0; y < height;) {
        if (left[size_t(y)] >= right[size_t(y)]) {
            ++y;
            continue;
        }
        TBox box{left[size_t(y)], y, right[size_t(y)], y};
        for (; y < height && left[size_t(y)] < right[size_t(y)]; ++y) {
            box.left = std::min(box.left, left[size_t(y)]);
            box.right = std::max(box.right, right[size_t(y)]);
        }
        box.bottom = y;
        boxes.push_back(box);
    }
    return boxes;
}

uint32_t ClearedPixel(const TCommand& clear)
{
    return 0xFF000000u | uint32_t(Byte(clear.r)) << 16 | uint32_t(Byte(clear.g)) << 8 | uint32_t(Byte(clear.b));
}

bool PaintRecording(const TRecording& r, int width, int height, const TTexelsOf& texelsOf, uint32_t* argb)
{
    if (width <= 0 || height <= 0 || !argb || r.commands.empty() || !r.commands[0].clear)
        return false;
    // Each command's quads in the order they were recorded, as its draw call takes them, and its texels:
    // all known to be paintable before a pixel is painted.
    std::vector<size_t> start(r.commands.size() + 1, 0), order(r.quadCommand.size());
    for (uint16_t c : r.quadCommand)
        ++start[c + 1];
    for (size_t c = 1; c < start.size(); ++c)
        start[c] += start[c - 1];
    std::vector<size_t> next(start.begin(), start.end() - 1);
    for (size_t q = 0; q < r.quadCommand.size(); ++q)
        order[next[r.quadCommand[q]]++] = q;
    std::vector<TTexels> texels(r.commands.size());
    for (size_t c = 0; c < r.commands.size(); ++c) {
        if (r.commands[c].clear)
            continue;
        TTexels& t = texels[c];
        if (!texelsOf(r.commands[c].texture, t) || !t.argb || t.width <= 0 || t.height <= 0)
            return false;
        for (size_t k = start[c]; k < start[c + 1]; ++k)
            if (!Upright(r, order[k]))
                return false;
    }
    std::vector<TTap> columns;
    for (size_t c = 0; c < r.commands.size(); ++c) {
        const TCommand& command = r.commands[c];
        if (command.clear) {
            std::fill(argb, argb + size_t(width) * height, ClearedPixel(command));
            continue;
        }
        for (size_t k = start[c]; k < start[c + 1]; ++k)
            PaintQuad(r, order[k], command, texels[c], width, height, argb, columns);
    }
    return true;
}

}  // namespace gfx
