// Spread - the median and range of a benchmark's repeats, and how they are printed.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

struct TSpread {
    double median = 0, min = 0, max = 0;
    bool any = false;   // false when there were no figures at all
};

inline TSpread Spread(std::vector<double> v)
{
    TSpread s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    s.min = v.front();
    s.max = v.back();
    s.any = true;
    return s;
}

// "median (min-max)" in the printf format given for each; "-" without figures.
inline std::string Show(const TSpread& s, const char* format)
{
    if (!s.any)
        return "-";
    char f[64], text[128];
    std::snprintf(f, sizeof f, "%s (%s-%s)", format, format, format);
    std::snprintf(text, sizeof text, f, s.median, s.min, s.max);
    return text;
}
