// Rendering through the offscreen display: where labels land, which way particles turn, how shadows fade.
#include <algorithm>
#include <climits>

#include "toolkit/Label.h"
#include "toolkit/ParticleList.h"
#include "toolkit/Sprite.h"
#include "toolkit/ToolkitFixture.h"
#include "platform/Testing.h"

namespace {
class ToolkitRenderTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        if (!OpenGraphics(1024, 768, 0, 60, 0)) GTEST_SKIP() << "no offscreen display";
        SetBlend(3);
    }
    void TearDown() override
    {
        CloseGraphics();
        ToolkitTest::TearDown();
    }
    void Clear(int r, int g, int b)
    {
        SetClsColor(r, g, b);
        Cls();
    }
    static int R(uint32_t p) { return int((p >> 16) & 0xFF); }
    static int G(uint32_t p) { return int((p >> 8) & 0xFF); }

    struct Box { int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1; };
    // Bounding box of the pixels in the rows [y0, y1) that pass the test.
    template <typename Test>
    Box Find(int y0, int y1, Test test)
    {
        std::vector<uint32_t> pixels = ReadBackBuffer();
        Box box;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < 1024; ++x)
                if (test(pixels[size_t(y) * 1024 + x])) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y);
                    box.bottom = std::max(box.bottom, y);
                }
        return box;
    }
};

TEST_F(ToolkitRenderTest, CentredLabelAndItsShadowLandWhereComputed)
{
    auto label = TLabel::Create("HOW MANY", 512, 300, font, 0.5f, 0.5f);
    label->alignment = TLabel::ALIGN_CENTRE_HORIZ;
    float dx = 0, dy = 0;
    label->GetAlignedPosition(dx, dy);

    Clear(0, 0, 0);
    label->Draw();
    Box text = Find(0, 768, [](uint32_t p) { return R(p) > 128; });
    ASSERT_GE(text.right, 0) << "nothing drawn";
    // Side bearings are a few font pixels at most, halved by the scale.
    EXPECT_GE(text.left, int(dx) - 1);
    EXPECT_LE(text.left, int(dx) + 6);
    EXPECT_NEAR((text.left + text.right) / 2.0, 512.0, 4.0);
    EXPECT_GE(text.top, 300);

    // The shadow alone (text fully transparent) is the same shape, 2 pixels right and down.
    label->SetShadow(2, 2, 1.0f);
    label->SetColor(255, 255, 255, 0.0f);
    Clear(128, 128, 128);
    label->Draw();
    Box shadow = Find(0, 768, [](uint32_t p) { return R(p) < 64; });
    EXPECT_EQ(shadow.left, text.left + 2);
    EXPECT_EQ(shadow.top, text.top + 2);
    EXPECT_EQ(shadow.right, text.right + 2);

    // Under a zoom the camera maps the aligned point: scale 2 about the origin doubles it.
    renderer->scaleX = renderer->scaleY = 2.0f;
    label->shadow = nullptr;
    label->SetColor(255, 255, 255, 1.0f);
    label->x = 256;
    label->y = 150;
    Clear(0, 0, 0);
    label->Draw();
    Box zoomed = Find(0, 768, [](uint32_t p) { return R(p) > 128; });
    EXPECT_NEAR((zoomed.left + zoomed.right) / 2.0, 512.0, 6.0);
    EXPECT_NEAR(zoomed.right - zoomed.left, 2 * (text.right - text.left), 4);
}

TEST_F(ToolkitRenderTest, RotatedImageParticleTurnsClockwise)
{
    // A 41 x 41 image with a red bar from its centre to its right edge.
    TImagePtr image = CreateBlankImage(41, 41, 1, -1);
    PixelBuffer pixels = LockImagePixels(image, 0, 1, 1);
    for (int y = 17; y <= 23; ++y)
        for (int x = 20; x < 41; ++x) pixels.Write(x, y, 0xFFFF0000u);
    UnlockImagePixels(image, 0);
    auto list = TParticleList::Create();
    auto particle = list->AddNew(TGameImage::CreateFromImage(image, "BAR", 1), 300, 300);
    particle->SetParams(0, 90, 0, 0, 0, 0);
    list->Logic();
    ASSERT_FLOAT_EQ(particle->rotation, 90);

    Clear(0, 0, 0);
    list->Draw();
    auto red = [](uint32_t p) { return R(p) > 200 && G(p) < 60; };
    EXPECT_TRUE(red(ReadPixel(300, 314)));    // the bar now points down: a quarter turn clockwise
    EXPECT_FALSE(red(ReadPixel(314, 300)));
    EXPECT_FALSE(red(ReadPixel(286, 300)));
    EXPECT_FALSE(red(ReadPixel(300, 286)));
}

TEST_F(ToolkitRenderTest, ShadowsFadeWithTheirSprite)
{
    // A red text sprite at alpha 0.5 with a 0.5 shadow far below it, on white.
    auto sprite = TSprite::Create(nullptr, 512, 150, "HI", font);
    sprite->SetScaleParams(1.5f, 1.5f);
    sprite->alpha = 0.5f;
    sprite->color = TColor::Create(255, 0, 0, 1.0f);
    sprite->shadow = TShadow::Create(0, 384, 0.5f);
    Clear(255, 255, 255);
    sprite->Draw();
    Box drawnText = Find(0, 384, [](uint32_t p) { return G(p) < 250; });
    ASSERT_GE(drawnText.right, 0) << "nothing drawn";

    std::vector<uint32_t> pixels = ReadBackBuffer();
    int textGreen = 255, shadowRed = 255;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            uint32_t p = pixels[size_t(y) * 1024 + x];
            if (y < 384) textGreen = std::min(textGreen, G(p));
            else shadowRed = std::min(shadowRed, R(p));
        }
    EXPECT_NEAR(textGreen, 255 * (1 - 0.5), 3);      // the text at the sprite's alpha
    EXPECT_NEAR(shadowRed, 255 * (1 - 0.25), 3);     // the shadow at 0.5 x 0.5

    // An image sprite without colour fades in its main pass too, not only in its shadow.
    TImagePtr image = CreateBlankImage(20, 20, 1, -1);
    PixelBuffer square = LockImagePixels(image, 0, 1, 1);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) square.Write(x, y, 0xFFFFFFFFu);
    UnlockImagePixels(image, 0);
    auto faded = TSprite::Create(TGameImage::CreateFromImage(image, "SQUARE", 1), 200, 200);
    faded->alpha = 0.5f;
    faded->shadow = TShadow::Create(100, 0, 1.0f);
    Clear(0, 0, 0);
    faded->Draw();
    EXPECT_NEAR(R(ReadPixel(200, 200)), 127, 3);
    EXPECT_EQ(GetDrawState().alpha, 1.0f);
}
}
