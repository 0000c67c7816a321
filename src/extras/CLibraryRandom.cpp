// CLibraryRandom - the C library's random numbers, apart from the game's own seeded generator.
#include "extras/CLibraryRandom.h"

#include <cstdlib>
#include <utility>

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
