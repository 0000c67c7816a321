// CharconvDoubles - std::to_chars and std::from_chars for doubles, which the browser's C++ library lacks.
//
// The browser toolchain's C++ library (emscripten 3.1.6) lacks <charconv>'s conversions of doubles,
// which the game's number formatting uses. The browser build includes this header ahead of every C++
// file, with the same declarations a newer library has, built on printf and strtod: the shortest
// digits that read back as the same double, and reading with the same out-of-range report.
#pragma once

#ifdef __cplusplus
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace std {

inline to_chars_result to_chars(char* first, char* last, double value, chars_format format)
{
    char text[400];
    int length = 0;
    if (!std::isfinite(value)) {
        length = std::snprintf(text, sizeof text, "%s", std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf");
    } else {
        // The fewest significant digits that read back as the same value.
        char scientific[40];
        for (int digits = 1; digits <= 17; ++digits) {
            std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, value);
            if (std::strtod(scientific, nullptr) == value)
                break;
        }
        if (format == chars_format::scientific) {
            length = std::snprintf(text, sizeof text, "%s", scientific);
        } else {
            // The same digits written out positionally.
            const char* e = std::strchr(scientific, 'e');
            const int exponent = std::atoi(e + 1);
            std::string digits, out;
            for (const char* c = scientific; c < e; ++c)
                if (*c >= '0' && *c <= '9')
                    digits += *c;
            while (digits.size() > 1 && digits.back() == '0')
                digits.pop_back();
            if (std::signbit(value))
                out += '-';
            if (digits == "0") {
                out += '0';
            } else if (exponent >= 0) {
                if (digits.size() <= size_t(exponent) + 1) {
                    out += digits + std::string(size_t(exponent) + 1 - digits.size(), '0');
                } else {
                    out += digits.substr(0, size_t(exponent) + 1) + "." + digits.substr(size_t(exponent) + 1);
                }
            } else {
                out += "0." + std::string(size_t(-exponent - 1), '0') + digits;
            }
            length = std::snprintf(text, sizeof text, "%s", out.c_str());
        }
    }
    if (length < 0 || last - first < length)
        return {last, errc::value_too_large};
    std::memcpy(first, text, size_t(length));
    return {first + length, errc{}};
}

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format = chars_format::general)
{
    // Leading blanks and a plus sign are not part of the number, as in the standard's reading.
    if (first == last || *first == ' ' || *first == '\t' || *first == '\n' || *first == '+')
        return {first, errc::invalid_argument};
    const std::string text(first, last);
    char* end = nullptr;
    errno = 0;
    const double read = std::strtod(text.c_str(), &end);
    if (end == text.c_str())
        return {first, errc::invalid_argument};
    const char* stop = first + (end - text.c_str());
    if (errno == ERANGE && (read == HUGE_VAL || read == -HUGE_VAL || read == 0.0))
        return {stop, errc::result_out_of_range};
    value = read;
    return {stop, errc{}};
}

}  // namespace std
#endif
