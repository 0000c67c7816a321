// gen_icons - draws the game's icon from code: "4+7" on a rounded tile of the game's dark purple,
// the digits in cream and the operator in gold. The shapes are defined on a unit square and
// rendered at whatever sizes are asked for, so the 48 x 48 menu icon, the 256 x 256 one and the
// window's icon are the same picture. The same program always writes the same files.
//
// Usage: gen_icons SIZE FILE.png [SIZE FILE.png ...]
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct TPoint { double x, y; };
struct TSegment { TPoint a, b; };
struct TColourF { double r, g, b; };

// The game clears its screen to (50, 0, 50); the icon's tile is that same colour.
constexpr TColourF TILE{50 / 255.0, 0.0, 50 / 255.0};
constexpr TColourF RIM{120 / 255.0, 40 / 255.0, 135 / 255.0};
constexpr TColourF SHADOW{18 / 255.0, 0.0, 20 / 255.0};
constexpr TColourF DIGIT{1.0, 0.96, 0.86};
constexpr TColourF OPERATOR{1.0, 0.75, 0.16};

constexpr double TILE_INSET = 0.03;    // room for the rim's antialiased edge
constexpr double TILE_RADIUS = 0.2;
constexpr double RIM_WIDTH = 0.03;
constexpr double STROKE = 0.07;        // line width of the glyphs, in icon widths
constexpr double GLYPH_HEIGHT = 0.36;
constexpr TPoint SHADOW_OFFSET{0.015, 0.022};

// Glyphs drawn as straight strokes on a cell 1 wide and 1.5 high, y downwards: 4, 7 and the plus
// need no curves, so they stay crisp down to 48 pixels.
const std::vector<TSegment> FOUR = {{{0.55, 0.0}, {0.0, 1.0}}, {{0.0, 1.0}, {0.8, 1.0}}, {{0.55, 0.0}, {0.55, 1.5}}};
const std::vector<TSegment> PLUS = {{{0.4, 0.45}, {0.4, 1.05}}, {{0.1, 0.75}, {0.7, 0.75}}};
const std::vector<TSegment> SEVEN = {{{0.0, 0.0}, {0.8, 0.0}}, {{0.8, 0.0}, {0.25, 1.5}}};

struct TGlyph {
    const std::vector<TSegment>* strokes;
    double width;   // in cell units
    bool isOperator;
};

double SegmentDistance(TPoint p, const TSegment& s)
{
    const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = p.x - (s.a.x + t * dx), ey = p.y - (s.a.y + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

// Signed distance to the tile, negative inside.
double TileDistance(TPoint p)
{
    const double half = 0.5 - TILE_INSET;
    const double qx = std::abs(p.x - 0.5) - (half - TILE_RADIUS);
    const double qy = std::abs(p.y - 0.5) - (half - TILE_RADIUS);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - TILE_RADIUS;
}

// The three glyphs' strokes placed on the icon, centred; each stroke remembers whether it is the operator.
struct TPlacedStroke { TSegment segment; bool isOperator; };

std::vector<TPlacedStroke> LayOutGlyphs()
{
    const std::vector<TGlyph> glyphs = {{&FOUR, 0.8, false}, {&PLUS, 0.8, true}, {&SEVEN, 0.8, false}};
    const double scale = GLYPH_HEIGHT / 1.5;
    const double gap = 0.3;    // between cells, in cell units
    double total = gap * (glyphs.size() - 1);
    for (const TGlyph& g : glyphs)
        total += g.width;
    double x = 0.5 - total * scale / 2;
    const double y = 0.5 - GLYPH_HEIGHT / 2;
    std::vector<TPlacedStroke> placed;
    for (const TGlyph& g : glyphs) {
        for (const TSegment& s : *g.strokes)
            placed.push_back({{{x + s.a.x * scale, y + s.a.y * scale}, {x + s.b.x * scale, y + s.b.y * scale}}, g.isOperator});
        x += (g.width + gap) * scale;
    }
    return placed;
}

// Colour and coverage of one sample point, layers painted back to front.
struct TSample { TColourF colour; double alpha; };

TSample Shade(TPoint p, const std::vector<TPlacedStroke>& strokes)
{
    const double tile = TileDistance(p);
    if (tile > 0)
        return {{0, 0, 0}, 0.0};
    TColourF c = tile > -RIM_WIDTH ? RIM : TILE;
    const TPoint shadowed{p.x - SHADOW_OFFSET.x, p.y - SHADOW_OFFSET.y};
    for (const TPlacedStroke& s : strokes)
        if (SegmentDistance(shadowed, s.segment) < STROKE / 2)
            c = SHADOW;
    for (const TPlacedStroke& s : strokes)
        if (SegmentDistance(p, s.segment) < STROKE / 2)
            c = s.isOperator ? OPERATOR : DIGIT;
    return {c, 1.0};
}

bool WriteIcon(int size, const std::string& path)
{
    // Eight by eight samples a pixel: enough for smooth edges at 48 pixels, where a stroke is 3.4 wide.
    constexpr int SAMPLES = 8;
    const std::vector<TPlacedStroke> strokes = LayOutGlyphs();
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < SAMPLES; ++sy)
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    const TPoint p{(px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size};
                    const TSample s = Shade(p, strokes);
                    r += s.colour.r * s.alpha;
                    g += s.colour.g * s.alpha;
                    b += s.colour.b * s.alpha;
                    a += s.alpha;
                }
            uint8_t* out = &rgba[(size_t(py) * size + px) * 4];
            // Colour averaged over the covered samples only, so the tile's edge does not darken;
            // fully transparent corners keep the tile's colour underneath.
            const TColourF c = a > 0 ? TColourF{r / a, g / a, b / a} : TILE;
            out[0] = uint8_t(std::lround(255 * std::clamp(c.r, 0.0, 1.0)));
            out[1] = uint8_t(std::lround(255 * std::clamp(c.g, 0.0, 1.0)));
            out[2] = uint8_t(std::lround(255 * std::clamp(c.b, 0.0, 1.0)));
            out[3] = uint8_t(std::lround(255 * a / (SAMPLES * SAMPLES)));
        }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(size);
    image.height = png_uint_32(size);
    image.format = PNG_FORMAT_RGBA;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    if (!ok)
        std::fprintf(stderr, "gen_icons: cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: gen_icons SIZE FILE.png [SIZE FILE.png ...]\n");
        return 2;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "gen_icons: size %s is not between 16 and 1024\n", argv[i]);
            return 2;
        }
        if (!WriteIcon(size, argv[i + 1]))
            return 1;
    }
    return 0;
}
