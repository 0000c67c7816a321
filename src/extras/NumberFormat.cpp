// NumberFormat - numbers written as text: cut to decimals, grouped, right-aligned; and the empty text.
#include "extras/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

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

std::string EmptyText() { return ""; }
