// Arithmetic - rounding to whole numbers and to decimal places, and the playback rate of a pitch
// n semitones up.
#include "extras/Arithmetic.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

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
