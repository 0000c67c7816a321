// Shared by the drawing tests: an open 1024 x 768 display on the offscreen driver, and pixel helpers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/Display.h"
#include "platform/Testing.h"

struct TInkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;   // inclusive
    int count = 0;
    int Width() const { return right < left ? 0 : right - left + 1; }
    int Height() const { return bottom < top ? 0 : bottom - top + 1; }
};

// The pixels of the back buffer that differ from the background, and the box around them.
inline TInkBox FindInk(uint32_t background = 0xFF000000u)
{
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    TInkBox box;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
            if (pixels[size_t(y) * 1024 + x] != background) {
                ++box.count;
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// The largest difference of any channel of any pixel between two pictures of the same size.
inline int WorstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    int worst = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift : {0, 8, 16, 24})
            worst = std::max(worst, std::abs(int((a[i] >> shift) & 255) - int((b[i] >> shift) & 255)));
    return worst;
}

inline int Red(uint32_t p) { return int((p >> 16) & 255); }
inline int Green(uint32_t p) { return int((p >> 8) & 255); }
inline int Blue(uint32_t p) { return int(p & 255); }

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(OpenGraphics(1024, 768, 0, 60, 0), nullptr);
        Cls();
    }
    void TearDown() override { CloseGraphics(); }
};
