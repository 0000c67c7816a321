// Random numbers - a minimal-standard multiplicative generator (multiplier 48271) in Schrage's form,
// so that every platform and compiler produces the same sequence from the same seed.
#include "platform/Random.h"
#include "platform/sys/SysTesting.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int32_t DEFAULT_STATE = 4660;
constexpr int32_t MODULUS = 2147483647;
int32_t state = DEFAULT_STATE;
int32_t questionState = DEFAULT_STATE;
bool questionStream = false;

int32_t StateOfSeed(int seed)
{
    const int32_t s = seed & 0x7FFFFFFF;
    // 0 is a fixed point of the recurrence and 2^31 - 1 is outside its range.
    return (s == 0 || s == 0x7FFFFFFF) ? DEFAULT_STATE : s;
}

int32_t Step()
{
    // Schrage: 48271 * s mod (2^31 - 1) without 64-bit products; 44488 = m div a, 3399 = m mod a.
    int32_t s = 48271 * (state % 44488) - 3399 * (state / 44488);
    if (s < 0) s += MODULUS;
    state = s;
    return s;
}
}

void SeedRandom(int seed)
{
    state = StateOfSeed(seed);
}

double RandomUnit()
{
    const int32_t s1 = Step();
    const int32_t s2 = Step();
    return (double(s1 & 0x1FFFFFFC) + double(s2 & 0x1FFFFFF8) / 134217728.0) / 536870912.0;
}

int RandomInt(int a, int b)
{
    const int64_t lo = std::min(a, b);
    const int64_t hi = std::max(a, b);
    return static_cast<int>(lo + static_cast<int64_t>(RandomUnit() * double(hi - lo + 1)));
}

double RandomFloat(double a, double b)
{
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    return lo + RandomUnit() * (hi - lo);
}

int RandomState() { return state; }

void SeedQuestionRandom(int seed)
{
    questionState = StateOfSeed(seed);
    questionStream = true;
}

void StopQuestionRandom() { questionStream = false; }

TQuestionDraws::TQuestionDraws() : swapped(questionStream)
{
    if (swapped)
        std::swap(state, questionState);
}

TQuestionDraws::~TQuestionDraws()
{
    if (swapped)
        std::swap(state, questionState);
}
