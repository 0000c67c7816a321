// Glyphs and small pictures share atlas pages: a frame of text and effects is one draw call, and a
// picture on a page must look exactly as it would on a texture of its own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "platform/gfx/Atlas.h"
#include "platform/DisplayFixture.h"
#include "platform/Platform.h"
#include "platform/Testing.h"

namespace {

const char* const GAME_FONT = "Data/Fonts/beware.ttf";

// A picture of size w x h made straight from its pixels: not rewritten later, so it goes to a page.
// The dynamic copy of the same pixels keeps a texture of its own.
TImagePtr MakePicture(int w, int h, bool shared, uint32_t (*pixel)(int, int))
{
    const TImagePtr picture = shared ? std::make_shared<TImage>(w, h, 1, IMAGE_FILTERED)
                                     : CreateBlankImage(w, h, 1, IMAGE_FILTERED);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            picture->pixels[0][size_t(y) * w + x] = pixel(x, y);
    return picture;
}

// Opaque and busy to its very edges, where a page's gutter has to stand in for clamping.
uint32_t Busy(int x, int y)
{
    return 0xFF000000u | uint32_t((x * 37 + y * 11) & 255) << 16 | uint32_t((x * y) & 255) << 8 |
           uint32_t(y * 5 & 255);
}
uint32_t SolidRed(int, int) { return 0xFFFF0000u; }
uint32_t SolidGreen(int, int) { return 0xFF00FF00u; }

struct TPose {
    float scale, rotation;
};

std::vector<uint32_t> DrawPosed(const TImagePtr& picture, TPose pose, bool region)
{
    SetClsColor(20, 30, 40);
    Cls();
    SetBlend(3);
    SetDrawScale(pose.scale, pose.scale);
    SetDrawRotation(pose.rotation);
    if (region)   // the middle and past the bottom edge, from a point inside the source
        DrawImageRegion(picture, 400.5f, 300.25f, 50.0f, 40.0f, 20.0f, 10.0f, 40.0f, 40.0f, 10.0f, 5.0f, 0);
    else
        DrawImageAt(picture, 300.5f, 200.25f, 0);
    SetDrawRotation(0.0f);
    SetDrawScale(1.0f, 1.0f);
    return ReadBackBuffer();
}

}  // namespace

TEST_F(DisplayTest, TextBarsAndSmallPicturesShareOneDrawCall)
{
    const TImageFontPtr font = LoadFontFile(GAME_FONT, 64, FONT_STYLE_SMOOTH);
    ASSERT_NE(font, nullptr);
    const TImagePtr effect = MakePicture(128, 128, true, Busy);
    CentreImageHandle(effect);
    SetDrawFont(font);
    SetBlend(3);
    FlipDisplay(0);
    // Layered as the game layers them: a word over an effect, under another effect, a bar on top.
    DrawImageAt(effect, 300.0f, 300.0f, 0);
    DrawTextAt("WRONG 42", 250.0f, 280.0f);
    DrawImageAt(effect, 320.0f, 310.0f, 0);
    DrawRect(200.0f, 290.0f, 300.0f, 8.0f);
    DrawTextAt("+ 18 points", 260.0f, 300.0f);
    FlipDisplay(0);
    EXPECT_EQ(DrawCallsLastFrame(), 1);
    EXPECT_EQ(DistinctTexturesLastFrame(), 1);

    // Large pictures, and pictures that are rewritten while the game runs, keep their own textures.
    const TImagePtr large = MakePicture(300, 40, true, Busy);
    const TImagePtr rewritten = MakePicture(64, 64, false, Busy);
    DrawImageAt(large, 0.0f, 0.0f, 0);
    DrawImageAt(rewritten, 0.0f, 100.0f, 0);
    DrawTextAt("1", 0.0f, 200.0f);
    FlipDisplay(0);
    EXPECT_EQ(DistinctTexturesLastFrame(), 3);
}

TEST_F(DisplayTest, APictureOnAPageDrawsAsOnATextureOfItsOwn)
{
    const TImagePtr shared = MakePicture(64, 48, true, Busy);
    const TImagePtr own = MakePicture(64, 48, false, Busy);
    for (const TPose pose : {TPose{1.0f, 0.0f}, TPose{3.7f, 0.0f}, TPose{2.2f, 31.0f}, TPose{1.0f, 90.0f}}) {
        for (bool region : {false, true}) {
            SCOPED_TRACE(testing::Message() << "scale " << pose.scale << ", rotation " << pose.rotation
                                            << (region ? ", region" : ", whole"));
            const std::vector<uint32_t> expected = DrawPosed(own, pose, region);
            EXPECT_LE(WorstDifference(DrawPosed(shared, pose, region), expected), 1);
        }
    }
    // The region's last 2 of 40 source rows lie below the frame: only the 38 inside it are drawn.
    DrawPosed(shared, {1.0f, 0.0f}, true);
    const TInkBox ink = FindInk(0xFF141E28u);
    EXPECT_EQ(ink.Height(), 38);
    EXPECT_EQ(ink.Width(), 50);
}

TEST_F(DisplayTest, AShrunkPictureNeverReadsItsNeighbourOnThePage)
{
    const TImagePtr red = MakePicture(37, 37, true, SolidRed);
    const TImagePtr green = MakePicture(37, 37, true, SolidGreen);
    const TImagePtr redAgain = MakePicture(37, 37, true, SolidRed);
    // Placed at their first draws: red, green, red again, so green is each red one's neighbour.
    for (const TImagePtr& picture : {red, green, redAgain})
        DrawImageAt(picture, 0.0f, 0.0f, 0);
    for (const TImagePtr& picture : {red, redAgain}) {
        for (const TPose pose :
             {TPose{0.5f, 0.0f}, TPose{0.2f, 0.0f}, TPose{0.11f, 17.0f}, TPose{0.3f, 45.0f}}) {
            SCOPED_TRACE(pose.scale);
            SetClsColor(0, 0, 0);
            Cls();
            SetBlend(3);
            SetDrawScale(pose.scale, pose.scale);
            SetDrawRotation(pose.rotation);
            DrawImageAt(picture, 500.0f, 400.0f, 0);
            SetDrawRotation(0.0f);
            SetDrawScale(1.0f, 1.0f);
            int inked = 0, greenish = 0;
            for (uint32_t p : ReadBackBuffer()) {
                inked += p != 0xFF000000u;
                greenish += Green(p) != 0;
            }
            EXPECT_GT(inked, 0);
            EXPECT_EQ(greenish, 0);
        }
    }
}

TEST_F(DisplayTest, RoomGivenBackIsTakenAgainAndTheRestStaysIntact)
{
    const int pagesBefore = gfx::AtlasPageCount();
    std::vector<TImagePtr> pictures;
    // 45 pictures of 100 x 100 do not fit on one page.
    const int count = 45;
    for (int i = 0; i < count; ++i)
        pictures.push_back(MakePicture(100, 100, true, i % 2 ? SolidRed : SolidGreen));
    for (const TImagePtr& p : pictures)
        DrawImageAt(p, 0.0f, 0.0f, 0);
    EXPECT_EQ(gfx::AtlasPageCount(), pagesBefore + 2);
    auto drawsItsColour = [](const TImagePtr& p, uint32_t colour) {
        SetClsColor(0, 0, 0);
        Cls();
        SetBlend(3);
        DrawImageAt(p, 100.0f, 100.0f, 0);
        const TInkBox ink = FindInk();
        return ink.count == 100 * 100 && ReadPixel(100, 100) == colour && ReadPixel(199, 199) == colour;
    };
    // Every other one goes; new ones of another colour take their places.
    for (int i = 0; i < count; i += 2)
        pictures[i] = nullptr;
    for (int i = 0; i < count; i += 2)
        pictures[i] = MakePicture(100, 100, true, Busy);
    for (const TImagePtr& p : pictures)
        DrawImageAt(p, 0.0f, 0.0f, 0);
    EXPECT_EQ(gfx::AtlasPageCount(), pagesBefore + 2);
    for (int i = 1; i < count; i += 2)
        EXPECT_TRUE(drawsItsColour(pictures[i], 0xFFFF0000u)) << i;
    const TImagePtr own = MakePicture(100, 100, false, Busy);
    const TPose still{1.0f, 0.0f};
    const std::vector<uint32_t> expected = DrawPosed(own, still, false);
    for (int i = 0; i < count; i += 2)
        EXPECT_LE(WorstDifference(DrawPosed(pictures[i], still, false), expected), 1) << i;
    // Pages with nothing on them give their memory back.
    pictures.clear();
    EXPECT_EQ(gfx::AtlasPageCount(), pagesBefore);
}

TEST_F(DisplayTest, PicturesOnPagesSurviveANewDisplay)
{
    const TImagePtr picture = MakePicture(64, 48, true, Busy);
    const std::vector<uint32_t> before = DrawPosed(picture, {2.5f, 12.0f}, false);
    ASSERT_NE(OpenGraphics(1024, 768, 0, 60, 0), nullptr);
    EXPECT_EQ(gfx::AtlasPageCount(), 0);
    EXPECT_EQ(DrawPosed(picture, {2.5f, 12.0f}, false), before);
    EXPECT_EQ(gfx::AtlasPageCount(), 1);
}
