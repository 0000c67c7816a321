// Large pictures with transparent surroundings are drawn as the octagon around their visible texels;
// the picture they leave must be the one the whole quad leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/DisplayFixture.h"
#include "platform/Platform.h"
#include "platform/Testing.h"

namespace {

// A ring with an empty middle and corners, like the game's effects.
uint32_t RingAlpha(int x, int y)
{
    const double d = std::hypot(x - 63.5, y - 63.5);
    return d > 40 && d < 60 ? uint32_t(255 - std::abs(d - 50) * 20) : 0u;
}

// Ink off the middle, touching the right edge, with slanted sides: every line of the octagon lies
// somewhere else, and one of them is the picture's own edge.
uint32_t WedgeAlpha(int x, int y)
{
    return x >= 70 && y >= 20 && y < 100 && x + y >= 120 && x - y <= 90 ? 200u : 0u;
}

// On a texture of its own (a picture that may be rewritten), or on a shared atlas page, which also has
// smaller levels.
TImagePtr MakePicture(uint32_t (*alpha)(int, int), bool shared)
{
    const TImagePtr picture = shared ? std::make_shared<TImage>(128, 128, 1, IMAGE_FILTERED)
                                     : CreateBlankImage(128, 128, 1, IMAGE_FILTERED);
    PixelBuffer pixels = LockImagePixels(picture, 0, 0, 1);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            pixels.Write(
                x, y, (alpha(x, y) << 24) | (uint32_t(x * 2) << 16) | (uint32_t(y * 2) << 8) | 0x40u);
    UnlockImagePixels(picture, 0);
    CentreImageHandle(picture);
    return picture;
}

struct TPose {
    float scaleX, scaleY, rotation;
};

}  // namespace

TEST_F(DisplayTest, APictureDrawnByItsVisibleOutlineMatchesTheWholeQuad)
{
    // Enlarged and turned as the effects are; at scale 1 turned by half a right angle; and shrunk, where
    // a page's smaller levels reach beyond the outline.
    const TPose poses[] = {{3.3f, 2.9f, 23.0f}, {1.0f, 1.0f, 45.0f}, {0.45f, 0.4f, 10.0f}};
    for (bool shared : {false, true})
        for (auto alpha : {RingAlpha, WedgeAlpha})
            for (const TPose& pose : poses)
                for (int blend : {1, 3, 4}) {
                    SCOPED_TRACE(testing::Message() << (shared ? "shared" : "own") << ", scale "
                                                    << pose.scaleX << ", blend " << blend);
                    const TImagePtr picture = MakePicture(alpha, shared);
                    auto draw = [&](bool whole) {
                        SetClsColor(50, 0, 50);
                        Cls();
                        SetBlend(blend);
                        SetAlpha(0.7f);
                        SetDrawScale(pose.scaleX, pose.scaleY);
                        SetDrawRotation(pose.rotation);
                        // The region call draws the same rectangle as one quad, whatever the picture holds.
                        if (whole)
                            DrawImageRegion(picture, 500.3f, 380.7f, 128.0f, 128.0f, 0.0f, 0.0f, 128.0f,
                                            128.0f, 64.0f, 64.0f, 0);
                        else
                            DrawImageAt(picture, 500.3f, 380.7f, 0);
                        SetDrawRotation(0.0f);
                        SetDrawScale(1.0f, 1.0f);
                        SetAlpha(1.0f);
                        return ReadBackBuffer();
                    };
                    const std::vector<uint32_t> whole = draw(true);
                    const std::vector<uint32_t> outlined = draw(false);
                    ASSERT_TRUE(picture->outlines.at(0).used);
                    // Interpolation may round a last bit differently across the inner edges,
                    // never more.
                    EXPECT_LE(WorstDifference(whole, outlined), 1);
                    int inked = 0;
                    for (uint32_t p : outlined)
                        inked += p != 0xFF320032u;
                    EXPECT_GT(inked, pose.scaleX > 1.0f ? 20000 : 300);
                }
}
