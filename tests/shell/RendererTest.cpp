// The renderer's zoom camera, draw-scale handling and text output, and what a frame of the game draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/Platform.h"
#include "platform/Testing.h"
#include "shell/Game.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"
#include "support/game/GameHarness.h"

namespace {

TEST(RendererCameraTest, CentreOnCoordsKeepsThePointInPlace)
{
    TRenderer camera;
    camera.SetGameScale(1.5f, 1.5f);
    camera.CentreOnCoords(512.0f, 600.0f);
    EXPECT_FLOAT_EQ(camera.scrollX, -256.0f);
    EXPECT_FLOAT_EQ(camera.scrollY, -300.0f);
    EXPECT_FLOAT_EQ(camera.GetX(512.0f), 512.0f);
    EXPECT_FLOAT_EQ(camera.GetY(600.0f), 600.0f);
    // Other points spread out from it by the scale.
    EXPECT_FLOAT_EQ(camera.GetX(612.0f), 662.0f);

    // Both axes follow scaleX, which the game keeps equal to scaleY.
    camera.SetGameScale(2.0f, 1.0f);
    camera.CentreOnCoords(0.0f, 768.0f);
    EXPECT_FLOAT_EQ(camera.scrollX, 0.0f);
    EXPECT_FLOAT_EQ(camera.scrollY, -768.0f);

    camera.ResetScale();
    camera.CentreOnCoords(100.0f, 700.0f);
    EXPECT_FLOAT_EQ(camera.scrollX, 0.0f);
    EXPECT_FLOAT_EQ(camera.scrollY, 0.0f);

    camera.SetGameScale(1.3f, 1.3f);
    camera.CentreOnCoords(300.0f, 200.0f);
    camera.ResetScale();
    camera.ResetScrolling();
    EXPECT_FLOAT_EQ(camera.GetX(123.5f), 123.5f);
    EXPECT_FLOAT_EQ(camera.GetY(-7.25f), -7.25f);
}

TEST(RendererCameraTest, TempScaleCombinesWithTheGameScaleAndRestoreGoesToOne)
{
    TRenderer camera;
    camera.SetGameScale(2.0f, 3.0f);
    camera.TempScale(0.5f, 0.25f);
    EXPECT_FLOAT_EQ(GetDrawState().scaleX, 1.0f);
    EXPECT_FLOAT_EQ(GetDrawState().scaleY, 0.75f);
    EXPECT_FLOAT_EQ(camera.scaleX, 2.0f);
    camera.RestoreScale();
    EXPECT_FLOAT_EQ(GetDrawState().scaleX, 1.0f);
    EXPECT_FLOAT_EQ(GetDrawState().scaleY, 1.0f);

    for (int i = 0; i < 50; ++i) {
        int x = camera.GetRandX(24);
        int y = camera.GetRandY(768);
        EXPECT_TRUE(x >= 0 && x <= 1000);
        EXPECT_EQ(y, 0);
    }
}

TEST(RendererTextTest, WidthAndStateAroundTextOutput)
{
    GameHarness harness;
    ASSERT_NE(gameFont, nullptr);

    SetDrawFont(gameFont);
    int unscaled = MeasureTextWidth("12 + 7 =");
    SetDrawFont(nullptr);
    renderer->SetGameScale(1.5f, 1.5f);
    EXPECT_FLOAT_EQ(renderer->GetTextWidth("12 + 7 =", gameFont, 0.5f), unscaled * 1.5f * 0.5f);
    // The measure leaves the built-in font selected again.
    EXPECT_EQ(GetDrawState().font, nullptr);

    // With a font, the text is drawn at its own scale times the game scale and everything is put back.
    SetColor(10, 20, 30);
    renderer->OutputText("42", 100, 100, gameFont, 0.5f, 0.5f, TColor::Create(255, 0, 0, 0.5f),
                         TShadow::Create(2, 2, 0.5f));
    EXPECT_EQ(GetDrawState().font, nullptr);
    EXPECT_FLOAT_EQ(GetDrawState().scaleX, 1.0f);
    EXPECT_EQ(GetDrawState().r, 255);
    EXPECT_EQ(GetDrawState().g, 255);
    EXPECT_FLOAT_EQ(GetDrawState().alpha, 1.0f);

    // With no font, neither the font nor the draw scale is touched.
    SetDrawScale(0.7f, 0.7f);
    renderer->OutputText("42", 100, 100, nullptr, 3.0f, 3.0f, nullptr, nullptr);
    EXPECT_FLOAT_EQ(GetDrawState().scaleX, 0.7f);
    SetDrawScale(1.0f, 1.0f);
    renderer->ResetScale();
}

// --- Rendering: these need the real drawing layer and skip while it is not there. ---

struct TBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
};

// Bounds of every pixel that differs from the background.
TBox InkBounds(const std::vector<uint32_t>& pixels, uint32_t background)
{
    TBox box;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
            if ((pixels[size_t(y) * 1024 + x] & 0xFFFFFF) != (background & 0xFFFFFF)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

class RenderingTest : public testing::Test {
protected:
    void SetUp() override
    {
        harness = std::make_unique<GameHarness>();
        if (!CurrentDisplay() || ReadBackBuffer().empty())
            GTEST_SKIP() << "the drawing layer cannot read pixels back yet";
        // An empty screen, so only what the test draws shows.
        auto blank = std::make_shared<TScreen>();
        blank->name = "Title";
        game->ChangeScreen(blank);
    }
    void TearDown() override { harness.reset(); }

    std::vector<uint32_t> ClearedFrame()
    {
        SetClsColor(50, 0, 50);
        Cls();
        SetBlend(3);
        return ReadBackBuffer();
    }

    std::unique_ptr<GameHarness> harness;
};

TEST_F(RenderingTest, EveryFrameIsClearedToDarkPurple)
{
    harness->Frame();
    harness->Redraw();
    for (auto [x, y] : {std::pair{0, 0}, std::pair{1023, 767}, std::pair{512, 20}}) {
        uint32_t pixel = harness->Pixel(x, y);
        EXPECT_EQ(GameHarness::Red(pixel), 50);
        EXPECT_EQ(GameHarness::Green(pixel), 0);
        EXPECT_EQ(GameHarness::Blue(pixel), 50);
    }
}

TEST_F(RenderingTest, OutputTextCenteredCentresAcrossTheScreen)
{
    const uint32_t background = 0xFF320032;
    for (float scale : {1.0f, 0.5f}) {
        ClearedFrame();
        renderer->OutputTextCentered("Level Complete", 300, gameFont, scale, scale,
                                     TColor::Create(255, 255, 255, 1.0f), nullptr);
        TBox box = InkBounds(ReadBackBuffer(), background);
        ASSERT_FALSE(box.Empty());
        // The ink lies within the advance box, whose centre is the screen's; side bearings are small.
        EXPECT_NEAR((box.left + box.right) / 2.0, 512.0, 6.0) << "scale " << scale;
        EXPECT_GE(box.top, 300);
    }

    // A shadow is drawn offset by display pixels, below and right of the text.
    ClearedFrame();
    renderer->OutputText("8", 200, 200, gameFont, 1, 1, nullptr, nullptr);
    TBox plain = InkBounds(ReadBackBuffer(), background);
    ClearedFrame();
    renderer->OutputText("8", 200, 200, gameFont, 1, 1, nullptr, TShadow::Create(5, 5, 1.0f));
    TBox shadowed = InkBounds(ReadBackBuffer(), background);
    EXPECT_EQ(shadowed.left, plain.left);
    EXPECT_EQ(shadowed.right, plain.right + 5);
    EXPECT_EQ(shadowed.bottom, plain.bottom + 5);

    // An empty text draws nothing.
    std::vector<uint32_t> cleared = ClearedFrame();
    renderer->OutputTextCentered("", 300, gameFont, 1, 1, nullptr, nullptr);
    EXPECT_EQ(ReadBackBuffer(), cleared);
}

TEST_F(RenderingTest, DebugPanelDrawsItsTwoLines)
{
    harness->MoveMouse(512, 384);
    std::vector<uint32_t> withoutPanel = (game->Draw(), ReadBackBuffer());

    game->displayDebugPanel = 1;
    game->Draw();
    std::vector<uint32_t> panel = ReadBackBuffer();
    EXPECT_NE(panel, withoutPanel);

    // The same two lines drawn by hand give the same picture.
    ClearedFrame();
    DrawTextAt("Mouse: 512,384", 10, 100);
    DrawTextAt("Screen: Title", 10, 115);
    EXPECT_EQ(ReadBackBuffer(), panel);
}

TEST_F(RenderingTest, RectOutlineIsExactlyTheBoxBorder)
{
    ClearedFrame();
    SetColor(255, 255, 255);
    DrawRectOutline(100, 50, 20, 10);
    std::vector<uint32_t> pixels = ReadBackBuffer();
    auto lit = [&](int x, int y) { return (pixels[size_t(y) * 1024 + x] & 0xFFFFFF) == 0xFFFFFF; };
    TBox box = InkBounds(pixels, 0xFF320032);
    EXPECT_EQ(box.left, 100);
    EXPECT_EQ(box.top, 50);
    EXPECT_EQ(box.right, 119);
    EXPECT_EQ(box.bottom, 59);
    for (int x = 100; x <= 119; ++x)
        EXPECT_TRUE(lit(x, 50) && lit(x, 59)) << x;
    for (int y = 50; y <= 59; ++y)
        EXPECT_TRUE(lit(100, y) && lit(119, y)) << y;
    EXPECT_FALSE(lit(110, 55));
}

}   // namespace
