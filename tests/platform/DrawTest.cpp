// Drawing: the matrix, colour and alpha, blend modes, lines, batching and the back buffer.
#include "platform/Display.h"
#include "platform/Font.h"
#include "platform/Image.h"
#include "platform/DisplayFixture.h"
#include "platform/Shapes.h"
#include "platform/Testing.h"

#include <cstdio>

using DrawTest = DisplayTest;

TEST_F(DrawTest, MatrixScalesAndTurnsClockwiseAboutTheAnchor)
{
    SetDrawScale(2.0f, 2.0f);
    DrawRect(100.0f, 100.0f, 10.0f, 10.0f);
    TInkBox box = FindInk();
    EXPECT_EQ(box.left, 100);
    EXPECT_EQ(box.top, 100);
    EXPECT_EQ(box.Width(), 20);
    EXPECT_EQ(box.Height(), 20);
    EXPECT_EQ(box.count, 400);

    // A 20 x 10 bar turned by 90 degrees hangs down from its anchor and lies left of it: clockwise.
    Cls();
    SetDrawScale(1.0f, 1.0f);
    SetDrawRotation(90.0f);
    DrawRect(300.0f, 200.0f, 20.0f, 10.0f);
    box = FindInk();
    EXPECT_EQ(box.left, 290);
    EXPECT_EQ(box.right, 299);
    EXPECT_EQ(box.top, 200);
    EXPECT_EQ(box.bottom, 219);
    EXPECT_EQ(box.count, 200);

    // Scale and rotation together: x scale follows the turned x axis.
    Cls();
    SetDrawScale(3.0f, 1.0f);
    SetDrawRotation(90.0f);
    DrawRect(500.0f, 100.0f, 10.0f, 10.0f);
    box = FindInk();
    EXPECT_EQ(box.Width(), 10);
    EXPECT_EQ(box.Height(), 30);
}

TEST_F(DrawTest, ColourAndAlphaAreClampedOnlyWhenDrawn)
{
    SetColor(300, -5, 128);
    SetAlpha(7.5f);
    DrawRect(10.0f, 10.0f, 4.0f, 4.0f);
    const uint32_t p = ReadPixel(12, 12);
    EXPECT_EQ(Red(p), 255);
    EXPECT_EQ(Green(p), 0);
    EXPECT_EQ(Blue(p), 128);
    const TDrawState& state = GetDrawState();
    EXPECT_EQ(state.r, 300);
    EXPECT_EQ(state.g, -5);
    EXPECT_EQ(state.b, 128);
    EXPECT_FLOAT_EQ(state.alpha, 7.5f);

    // Negative alpha in alpha blending draws nothing rather than something strange.
    SetBlend(3);
    SetAlpha(-1.0f);
    SetColor(255, 255, 255);
    DrawRect(40.0f, 40.0f, 4.0f, 4.0f);
    EXPECT_EQ(ReadPixel(41, 41), 0xFF000000u);
}

TEST_F(DrawTest, BlendModesAlphaAndMasked)
{
    SetClsColor(50, 0, 50);
    Cls();
    SetBlend(3);
    SetColor(255, 255, 255);
    SetAlpha(0.5f);
    DrawRect(100.0f, 100.0f, 8.0f, 8.0f);
    // source x alpha + destination x (1 - alpha), alpha being 127/255 after truncation.
    const uint32_t blended = ReadPixel(104, 104);
    EXPECT_NEAR(Red(blended), 152, 1);
    EXPECT_NEAR(Green(blended), 127, 1);
    EXPECT_NEAR(Blue(blended), 152, 1);
    EXPECT_EQ(blended >> 24, 255u);

    // Masked: no blending at all; texels of low alpha are left out.
    SetBlend(1);
    SetAlpha(0.3f);
    DrawRect(200.0f, 100.0f, 8.0f, 8.0f);
    SetAlpha(0.8f);
    DrawRect(300.0f, 100.0f, 8.0f, 8.0f);
    EXPECT_EQ(ReadPixel(204, 104) & 0xFFFFFFu, 0x320032u);
    EXPECT_EQ(ReadPixel(304, 104) & 0xFFFFFFu, 0xFFFFFFu);
}

TEST_F(DrawTest, OpeningResetsTheStateAndClosingStopsDrawing)
{
    SetColor(1, 2, 3);
    SetAlpha(0.25f);
    SetBlend(3);
    SetDrawScale(2.0f, 4.0f);
    SetDrawRotation(30.0f);
    SetClsColor(9, 9, 9);
    ASSERT_NE(OpenGraphics(1024, 768, 0, 60, 0), nullptr);
    const TDrawState& s = GetDrawState();
    EXPECT_EQ(s.r + s.g + s.b, 765);
    EXPECT_EQ(s.alpha, 1.0f);
    EXPECT_EQ(s.blend, 1);
    EXPECT_EQ(s.clsR + s.clsG + s.clsB, 0);
    EXPECT_EQ(s.ix, 1.0f);
    EXPECT_EQ(s.jy, 1.0f);
    EXPECT_EQ(s.iy, 0.0f);
    EXPECT_EQ(s.jx, 0.0f);
    EXPECT_EQ(s.font, nullptr);
    EXPECT_NE(DisplayWindowId(), 0u);

    // Full screen keeps the game's own picture size, whatever the screen has.
    ASSERT_NE(OpenGraphics(1024, 768, 32, 60, 0), nullptr);
    DrawRect(1020.0f, 760.0f, 4.0f, 8.0f);
    EXPECT_EQ(ReadBackBuffer().size(), 1024u * 768u);
    EXPECT_EQ(ReadPixel(1023, 767), 0xFFFFFFFFu);
    FlipDisplay(0);

    CloseGraphics();
    EXPECT_EQ(CurrentDisplay(), nullptr);
    EXPECT_EQ(DisplayWindowId(), 0u);
    EXPECT_TRUE(ReadBackBuffer().empty());
    EXPECT_FALSE(SaveBackBufferPng("unused.png"));
    // Without a display every operation is harmless.
    DrawRect(0.0f, 0.0f, 10.0f, 10.0f);
    DrawLine(0.0f, 0.0f, 10.0f, 10.0f, 1);
    DrawTextAt("no display", 0.0f, 0.0f);
    Cls();
    FlipDisplay(1);
    int gx = 0, gy = 0;
    WindowToGame(33, 44, gx, gy);
    EXPECT_EQ(gx, 33);
    EXPECT_EQ(gy, 44);
}

TEST_F(DrawTest, LinesLeaveOutTheLastPixelUnlessAsked)
{
    DrawLine(10.0f, 10.0f, 20.0f, 10.0f, 0);
    TInkBox box = FindInk();
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.right, 19);
    EXPECT_EQ(box.Height(), 1);

    Cls();
    DrawLine(30.0f, 50.0f, 30.0f, 40.0f, 1);   // upwards, end included
    box = FindInk();
    EXPECT_EQ(box.top, 40);
    EXPECT_EQ(box.bottom, 50);
    EXPECT_EQ(box.Width(), 1);

    Cls();
    DrawLine(100.0f, 100.0f, 110.0f, 110.0f, 0);   // a diagonal: one pixel per step
    box = FindInk();
    EXPECT_EQ(box.count, 10);
    EXPECT_EQ(box.Width(), 10);

    // Four lines without their last pixels, corner to corner, outline a box of exactly 40 x 30 pixels
    // with no corner drawn twice or left out.
    Cls();
    SetBlend(3);
    SetAlpha(0.5f);
    const float x = 500.0f, y = 400.0f, w = 40.0f, h = 30.0f;
    DrawLine(x, y, x + w - 1, y, 0);
    DrawLine(x + w - 1, y, x + w - 1, y + h - 1, 0);
    DrawLine(x + w - 1, y + h - 1, x, y + h - 1, 0);
    DrawLine(x, y + h - 1, x, y, 0);
    box = FindInk();
    EXPECT_EQ(box.left, 500);
    EXPECT_EQ(box.top, 400);
    EXPECT_EQ(box.Width(), 40);
    EXPECT_EQ(box.Height(), 30);
    EXPECT_EQ(box.count, 2 * (40 + 30) - 4);
    EXPECT_EQ(ReadPixel(500, 400), ReadPixel(539, 429));   // one coat of half alpha at each corner
    EXPECT_EQ(ReadPixel(500, 400), ReadPixel(520, 400));
    SetAlpha(1.0f);
    SetBlend(1);

    // The end point is taken through the matrix: at scale 2 the line is twice as long.
    Cls();
    SetDrawScale(2.0f, 2.0f);
    DrawLine(200.0f, 300.0f, 205.0f, 300.0f, 0);
    box = FindInk();
    EXPECT_EQ(box.left, 200);
    EXPECT_EQ(box.right, 209);
}

TEST_F(DrawTest, QuadsShareDrawCallsUntilTheTextureChanges)
{
    SetBlend(3);
    FlipDisplay(0);
    DrawRect(0.0f, 0.0f, 5.0f, 5.0f);
    DrawRect(10.0f, 0.0f, 5.0f, 5.0f);
    DrawLine(0.0f, 20.0f, 50.0f, 20.0f, 0);
    ReadPixel(0, 0);
    EXPECT_EQ(DrawCallsThisFrame(), 1);

    const TImagePtr image = CreateBlankImage(8, 8, 1, -1);
    DrawRect(0.0f, 0.0f, 5.0f, 5.0f);
    DrawImageAt(image, 50.0f, 50.0f, 0);
    DrawImageAt(image, 60.0f, 50.0f, 0);
    DrawRect(0.0f, 0.0f, 5.0f, 5.0f);
    FlipDisplay(0);
    // One for the earlier run, then rect / image / rect.
    EXPECT_EQ(DrawCallsLastFrame(), 4);
    EXPECT_EQ(DrawCallsThisFrame(), 0);

    // Rectangles next to text borrow the atlas's white corner: still one run.
    DrawTextAt("Score 120", 10.0f, 10.0f);
    DrawRect(10.0f, 40.0f, 100.0f, 4.0f);
    DrawTextAt("Level 3", 10.0f, 50.0f);
    FlipDisplay(0);
    EXPECT_EQ(DrawCallsLastFrame(), 1);

    // A change of blend mode is a change of GL state and starts a new call.
    DrawRect(0.0f, 0.0f, 5.0f, 5.0f);
    SetBlend(1);
    DrawRect(0.0f, 0.0f, 5.0f, 5.0f);
    FlipDisplay(0);
    EXPECT_EQ(DrawCallsLastFrame(), 2);

    // More quads than the buffer holds still all arrive.
    Cls();
    for (int i = 0; i < 5000; ++i)
        DrawRect(float(i % 1000), float(i / 1000) * 2.0f, 1.0f, 1.0f);
    EXPECT_EQ(FindInk().count, 5000);
}

TEST_F(DrawTest, BackBufferReadsTopRowFirstAndSavesAsPng)
{
    SetColor(10, 200, 30);
    DrawRect(0.0f, 0.0f, 1.0f, 1.0f);
    SetColor(250, 20, 90);
    DrawRect(1023.0f, 767.0f, 1.0f, 1.0f);
    const std::vector<uint32_t> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 1024u * 768u);
    EXPECT_EQ(pixels.front(), 0xFF0AC81Eu);
    EXPECT_EQ(pixels.back(), 0xFFFA145Au);
    EXPECT_EQ(ReadPixel(1023, 767), 0xFFFA145Au);
    EXPECT_EQ(ReadPixel(1024, 0), 0u);

    const char* path = "draw_test_shot.png";
    ASSERT_TRUE(SaveBackBufferPng(path));
    const TImagePtr shot = LoadImageFile(path, 0);
    std::remove(path);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->width, 1024);
    EXPECT_EQ(shot->height, 768);
    EXPECT_EQ(shot->pixels[0].front(), 0xFF0AC81Eu);
    EXPECT_EQ(shot->pixels[0].back(), 0xFFFA145Au);
}
