// gen_images - draws the game's pictures from code: a fiery burst and two glowing rings, 128 x 128
// RGBA with transparent surroundings, written as PNG. The same program always writes the same files.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int SIZE = 128;
constexpr double PI = 3.14159265358979323846;

struct TColourF { double r, g, b, a; };

// Integer hash noise: the same lattice values on every machine, unlike a library random generator.
double Lattice(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / double(0x1000000);
}

double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }

double ValueNoise(double x, double y, uint32_t seed)
{
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = Smooth(x - x0), fy = Smooth(y - y0);
    const double a = Lattice(x0, y0, seed), b = Lattice(x0 + 1, y0, seed);
    const double c = Lattice(x0, y0 + 1, seed), d = Lattice(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

// Four octaves of value noise, 0 to 1.
double Fractal(double x, double y, uint32_t seed)
{
    double sum = 0, amplitude = 0.5, total = 0;
    for (int octave = 0; octave < 4; ++octave) {
        sum += amplitude * ValueNoise(x, y, seed + octave * 101u);
        total += amplitude;
        x *= 2.0;
        y *= 2.0;
        amplitude *= 0.5;
    }
    return sum / total;
}

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

TColourF Mix(const TColourF& a, const TColourF& b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// Each pixel is the average of 4 x 4 samples, so edges stay soft when the picture is scaled down.
bool WritePicture(const std::string& path, const std::function<TColourF(double, double)>& shade)
{
    std::vector<uint8_t> rgba(SIZE * SIZE * 4);
    for (int py = 0; py < SIZE; ++py)
        for (int px = 0; px < SIZE; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    // Coordinates from the centre, -1 to 1 across the picture.
                    const double x = ((px + (sx + 0.5) / 4.0) - SIZE / 2.0) / (SIZE / 2.0);
                    const double y = ((py + (sy + 0.5) / 4.0) - SIZE / 2.0) / (SIZE / 2.0);
                    TColourF c = shade(x, y);
                    // Nothing may reach the picture's edge, or a square would show when it is scaled up.
                    c.a *= Clamp01((0.97 - std::sqrt(x * x + y * y)) / 0.12);
                    // Colour weighted by alpha so transparent samples do not darken the edge.
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            uint8_t* out = &rgba[(size_t(py) * SIZE + px) * 4];
            const double alpha = a / 16.0;
            const TColourF edge = shade(0.0, 0.0);   // colour kept under fully transparent pixels
            out[0] = uint8_t(std::lround(255 * Clamp01(a > 0 ? r / a : edge.r)));
            out[1] = uint8_t(std::lround(255 * Clamp01(a > 0 ? g / a : edge.g)));
            out[2] = uint8_t(std::lround(255 * Clamp01(a > 0 ? b / a : edge.b)));
            out[3] = uint8_t(std::lround(255 * Clamp01(alpha)));
        }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = SIZE;
    image.height = SIZE;
    image.format = PNG_FORMAT_RGBA;
    const bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
    png_image_free(&image);
    if (!ok)
        std::fprintf(stderr, "gen_images: cannot write %s\n", path.c_str());
    return ok;
}

// A soft fiery burst: a white-hot core through yellow and orange to a ragged red rim of flame tongues.
TColourF Explosion(double x, double y)
{
    const double radius = std::sqrt(x * x + y * y);
    const double angle = std::atan2(y, x);
    // The rim wanders with the angle (sampled on a circle so it closes without a seam).
    const double rim = 0.58 + 0.32 * Fractal(2.2 * std::cos(angle) + 5.0, 2.2 * std::sin(angle) + 5.0, 7u);
    const double billow = Fractal(x * 3.0 + 11.0, y * 3.0 + 3.0, 19u);
    const double heat = Clamp01((1.0 - radius / rim) * (0.75 + 0.6 * billow));
    const TColourF red{0.75, 0.12, 0.02, 0.0};
    const TColourF orange{1.0, 0.45, 0.05, 0.85};
    const TColourF yellow{1.0, 0.85, 0.25, 1.0};
    const TColourF white{1.0, 1.0, 0.9, 1.0};
    TColourF c;
    if (heat < 0.25)
        c = Mix(red, orange, heat / 0.25);
    else if (heat < 0.6)
        c = Mix(orange, yellow, (heat - 0.25) / 0.35);
    else
        c = Mix(yellow, white, (heat - 0.6) / 0.4);
    c.a = Clamp01(std::pow(heat / 0.35, 1.3)) * (0.75 + 0.25 * billow);
    return c;
}

double Gauss(double d, double width) { return std::exp(-(d * d) / (2.0 * width * width)); }

// A thin glowing ring: a white line with a pale blue glow on both sides.
TColourF Ring(double x, double y)
{
    const double d = std::sqrt(x * x + y * y) - 0.8;
    const double core = Gauss(d, 0.025);
    const double glow = Gauss(d, 0.07);
    TColourF c = Mix(TColourF{0.55, 0.8, 1.0, 0}, TColourF{1.0, 1.0, 1.0, 0}, core);
    c.a = Clamp01(core + 0.55 * glow);
    return c;
}

// A second ring: smaller, warm gold, thicker, beaded with twelve brighter knots and a faint halo outside.
TColourF BeadedRing(double x, double y)
{
    const double radius = std::sqrt(x * x + y * y);
    const double angle = std::atan2(y, x);
    const double d = radius - 0.66;
    const double beads = 0.55 + 0.45 * std::pow(0.5 + 0.5 * std::cos(angle * 12.0), 3.0);
    const double core = Gauss(d, 0.05) * beads;
    const double halo = 0.3 * Gauss(radius - 0.72, 0.07);
    TColourF c = Mix(TColourF{1.0, 0.7, 0.2, 0}, TColourF{1.0, 0.97, 0.8, 0}, Clamp01(core * 1.2));
    c.a = Clamp01(core + halo);
    return c;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_images <output folder>\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const bool ok = WritePicture(folder + "explosion.png", Explosion) &&
                    WritePicture(folder + "particlering.png", Ring) &&
                    WritePicture(folder + "particlering2.png", BeadedRing);
    return ok ? 0 : 1;
}
