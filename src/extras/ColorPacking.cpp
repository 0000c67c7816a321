// ColorPacking - 32-bit ARGB colours taken apart and packed.
#include "extras/ColorPacking.h"

#include <algorithm>
#include <cstdint>

int ColorAlpha(int argb) { return int((uint32_t(argb) >> 24) & 255); }
int ColorRed(int argb) { return int((uint32_t(argb) >> 16) & 255); }
int ColorGreen(int argb) { return int((uint32_t(argb) >> 8) & 255); }
int ColorBlue(int argb) { return int(uint32_t(argb) & 255); }

int PackARGB(int a, int r, int g, int b)
{
    auto part = [](int value) { return uint32_t(std::clamp(value, 0, 255)); };
    return int(part(a) << 24 | part(r) << 16 | part(g) << 8 | part(b));
}
