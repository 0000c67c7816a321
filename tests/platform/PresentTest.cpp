// Presenting: a frame that would show the picture already on screen is neither drawn nor presented,
// and nothing that can change what it shows is mistaken for such a frame.
#include <gtest/gtest.h>

#include <SDL.h>

#include <utility>
#include <vector>

#include "platform/DisplayFixture.h"
#include "platform/gl/GL.h"
#include "platform/Platform.h"
#include "platform/Testing.h"

namespace {

class PresentTest : public DisplayTest {
protected:
    // One frame as the game draws it: clear, a rectangle, an image, a line of text.
    void DrawScene(float x)
    {
        SetClsColor(50, 0, 50);
        Cls();
        SetBlend(3);
        SetColor(255, 255, 255);
        DrawRect(x, 100.0f, 40.0f, 20.0f);
        DrawImageAt(image, 300.0f, 300.0f, 0);
        DrawTextAt("Score 42", 10.0f, 10.0f);
    }
    // Presented frames during one FlipDisplay.
    int Flip()
    {
        const uint64_t before = PresentedFrameCount();
        FlipDisplay(1);
        return int(PresentedFrameCount() - before);
    }
    TImagePtr image = CreateBlankImage(16, 16, 1, IMAGE_FILTERED);
};

// The window's own pixel at (x, y) of its drawable, top row first, as the last present left it: bars
// included, where ReadPixel reads the game's picture.
uint32_t WindowPixel(int x, int y)
{
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(SDL_GetWindowFromID(DisplayWindowId()), &w, &h);
    const auto getIntegerv = reinterpret_cast<PFNGLGETINTEGERVPROC>(SDL_GL_GetProcAddress("glGetIntegerv"));
    GLint picture = 0;
    getIntegerv(GL_READ_FRAMEBUFFER_BINDING, &picture);
    gl::glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    uint32_t pixel = 0;
    gl::ReadArgb(x, h - 1 - y, 1, 1, &pixel);
    gl::glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(picture));
    return pixel;
}

}  // namespace

TEST_F(PresentTest, OnlyFramesThatChangeThePictureArePresented)
{
    PixelBuffer pixels = LockImagePixels(image, 0, 0, 1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            pixels.Write(x, y, 0xFF00FF00u);
    UnlockImagePixels(image, 0);

    DrawScene(100.0f);
    EXPECT_EQ(Flip(), 1);
    // The first draws uploaded textures half-way through the frame; the same frame drawn whole may be
    // presented once more.
    DrawScene(100.0f);
    Flip();
    const uint64_t skippedBefore = SkippedFrameCount();
    for (int i = 0; i < 5; ++i) {
        DrawScene(100.0f);
        EXPECT_EQ(Flip(), 0) << "an unchanged frame, " << i;
    }
    EXPECT_EQ(SkippedFrameCount() - skippedBefore, 5u);
    // Its draw calls still count as the frame's own.
    EXPECT_GE(DrawCallsLastFrame(), 2);
    // The picture is the frame's all the same.
    EXPECT_EQ(ReadPixel(310, 310), 0xFF00FF00u);
    EXPECT_EQ(ReadPixel(120, 110), 0xFFFFFFFFu);

    // Reading the picture back, then the same frame again: presented, the reader may have changed
    // what is to be shown.
    DrawScene(100.0f);
    EXPECT_EQ(Flip(), 1);

    // A rectangle one pixel over, a changed clear colour: presented.
    DrawScene(101.0f);
    EXPECT_EQ(Flip(), 1);
    EXPECT_EQ(ReadPixel(100, 110), 0xFF320032u);
    DrawScene(101.0f);
    EXPECT_EQ(Flip(), 1);   // the read above
    DrawScene(101.0f);
    EXPECT_EQ(Flip(), 0);
    SetClsColor(0, 0, 60);
    Cls();
    EXPECT_EQ(Flip(), 1);

    // The same quads over pixels that changed: presented, and showing the new pixels.
    DrawScene(101.0f);
    EXPECT_EQ(Flip(), 1);
    DrawScene(101.0f);
    EXPECT_EQ(Flip(), 0);
    pixels = LockImagePixels(image, 0, 0, 1);
    pixels.Write(10, 10, 0xFFFF0000u);
    UnlockImagePixels(image, 0);
    DrawScene(101.0f);
    EXPECT_EQ(Flip(), 1);
    EXPECT_EQ(ReadPixel(310, 310), 0xFFFF0000u);

    // The window system lost or scaled the window's contents.
    DrawScene(101.0f);
    EXPECT_EQ(Flip(), 1);   // the read above
    DrawScene(101.0f);
    Flip();                 // the upload above came half-way through a frame
    DrawScene(101.0f);
    EXPECT_EQ(Flip(), 0);
    InvalidatePresentedFrame();
    DrawScene(101.0f);
    EXPECT_EQ(Flip(), 1);

    // A frame drawn on top of the last one without a clear changes the picture even when its quads
    // are the same: blended twice.
    SetBlend(3);
    SetAlpha(0.5f);
    DrawRect(500.0f, 500.0f, 10.0f, 10.0f);
    EXPECT_EQ(Flip(), 1);
    DrawRect(500.0f, 500.0f, 10.0f, 10.0f);
    EXPECT_EQ(Flip(), 1);
    SetAlpha(1.0f);
}

// A frame that changes little is drawn only in the box around what changed, over the picture kept from
// the frame before, and leaves exactly the pixels a whole frame would: moved, changed, blended over,
// removed and turned quads, text included.
TEST_F(PresentTest, PartialFramesLeaveThePictureAWholeFrameWould)
{
    struct TScene {
        float rectX = 100.0f, rectW = 40.0f, rectH = 20.0f;
        const char* text = "Score 42";
        const char* corner = "Level 1";
        bool image = true, overlay = false, turned = false;
    };
    PixelBuffer pixels = LockImagePixels(image, 0, 0, 1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            pixels.Write(x, y, 0xFF000000u | uint32_t(x * 16) << 16 | uint32_t(y * 16) << 8 | 0x80u);
    UnlockImagePixels(image, 0);
    auto draw = [&](const TScene& scene) {
        SetClsColor(50, 0, 50);
        Cls();
        SetBlend(3);
        SetAlpha(1.0f);
        SetColor(255, 255, 255);
        DrawRect(scene.rectX, 100.0f, scene.rectW, scene.rectH);
        if (scene.image) {
            SetDrawScale(scene.turned ? 3.0f : 1.0f, scene.turned ? 3.0f : 1.0f);
            SetDrawRotation(scene.turned ? 30.0f : 0.0f);
            DrawImageAt(image, 300.0f, 300.0f, 0);
            SetDrawScale(1.0f, 1.0f);
            SetDrawRotation(0.0f);
        }
        DrawTextAt(scene.text, 10.0f, 10.0f);
        if (scene.overlay) {
            SetAlpha(0.5f);
            SetColor(0, 200, 255);
            DrawRect(290.0f, 290.0f, 30.0f, 30.0f);
            SetAlpha(1.0f);
            SetColor(255, 255, 255);
        }
        DrawTextAt(scene.corner, 700.0f, 600.0f);
    };
    const TScene base;
    TScene moved = base, retexted = base, overlaid = base, removed = base, turned = base, apart = base;
    TScene shrunk = base, taller = base;
    moved.rectX = 101.5f;
    // One edge of a bar moves: only the strip it swept is drawn again.
    shrunk.rectW = 36.6f;
    taller.rectH = 23.5f;
    // Changes at opposite corners with unchanged quads between: boxes of their own.
    apart.rectX = 101.5f;
    apart.corner = "Level 2";
    retexted.text = "Score 47";
    overlaid.overlay = true;
    removed.image = false;
    turned.turned = true;
    // Every glyph and texture once, so no upload makes a frame whole below.
    for (const TScene& scene : {base, moved, retexted, overlaid, removed, turned, apart, shrunk, taller}) {
        draw(scene);
        FlipDisplay(1);
    }
    const std::pair<TScene, TScene> changes[] = {{base, moved},      {moved, retexted}, {base, overlaid},
                                                 {overlaid, removed}, {removed, turned}, {turned, base},
                                                 {base, apart},      {apart, retexted}, {base, shrunk},
                                                 {shrunk, base},     {base, taller}};
    int step = 0;
    for (const auto& [from, to] : changes) {
        draw(from);
        FlipDisplay(1);   // whole: the last read-back left the window in doubt
        const uint64_t partialBefore = PartialFrameCount();
        draw(to);
        EXPECT_EQ(Flip(), 1) << "change " << step;
        EXPECT_EQ(PartialFrameCount(), partialBefore + 1) << "change " << step;
        const std::vector<uint32_t> partial = ReadBackBuffer();
        InvalidatePresentedFrame();
        draw(to);
        FlipDisplay(1);
        EXPECT_EQ(PartialFrameCount(), partialBefore + 1) << "change " << step;
        EXPECT_TRUE(ReadBackBuffer() == partial) << "change " << step;
        ++step;
    }
    // A whole new picture, another clear colour: whole frames.
    draw(base);
    FlipDisplay(1);
    const uint64_t partialBefore = PartialFrameCount();
    SetClsColor(0, 0, 60);
    Cls();
    EXPECT_EQ(Flip(), 1);
    EXPECT_EQ(PartialFrameCount(), partialBefore);
    SetAlpha(1.0f);
    SetColor(255, 255, 255);
}

// With vertical sync on a 60 Hz display, the game's loop (the wait for its 16 ms timer, the flip, a 1 ms
// sleep) runs at 60 frames a second whether the frames change the picture or not.
TEST_F(PresentTest, FramesLeftOutArePacedAsIfPresented)
{
    UseVirtualClock(true);
    UseFakeRefreshRate(60);
    const TTimerPtr timer = TTimer::Create(60.0f);
    // The clock as each frame starts.
    std::vector<uint64_t> starts;
    auto frames = [&](int count, bool changing) {
        for (int i = 0; i < count; ++i) {
            WaitForFrame(*timer, false);
            starts.push_back(ClockMillis());
            DrawScene(changing ? float(i) : 100.0f);
            FlipDisplay(1);
            SleepAfterFrame(*timer);
        }
    };
    // The first second from the display's first present, when the ticks, a little faster, lead the
    // refreshes until they part by a period; then a second of frames that change, and one of frames
    // left out.
    frames(60, true);
    frames(60, true);
    const uint64_t skippedBefore = SkippedFrameCount();
    frames(61, false);
    EXPECT_NEAR(double(starts[120] - starts[60]), 1000.0, 2.0);
    EXPECT_NEAR(double(starts[180] - starts[120]), 1000.0, 2.0);
    EXPECT_GE(SkippedFrameCount() - skippedBefore, 59u);
    UseFakeRefreshRate(0);
    UseVirtualClock(false);
}

TEST_F(PresentTest, AReopenedDisplayPresentsItsFirstFrame)
{
    DrawScene(100.0f);
    EXPECT_EQ(Flip(), 1);
    DrawScene(100.0f);
    Flip();
    DrawScene(100.0f);
    EXPECT_EQ(Flip(), 0);
    ASSERT_NE(OpenGraphics(1024, 768, 0, 60, 0), nullptr);
    DrawScene(100.0f);
    EXPECT_EQ(Flip(), 1);
    EXPECT_EQ(ReadPixel(120, 110), 0xFFFFFFFFu);
    EXPECT_EQ(ReadPixel(310, 310), 0xFF320032u);   // the image is clear: the background shows
}

TEST_F(PresentTest, ThePictureLastsWhileTheWindowChangesSize)
{
    // At the picture's own size the window's back buffer is the picture; at any other size an
    // off-screen one is, scaled into the window. Drawing on without a clear must find what was drawn
    // before the change, both ways.
    SDL_Window* window = SDL_GetWindowFromID(DisplayWindowId());
    ASSERT_NE(window, nullptr);
    SetClsColor(50, 0, 50);
    Cls();
    SetBlend(2);
    SetColor(255, 0, 0);
    DrawRect(100.0f, 100.0f, 50.0f, 50.0f);
    uint64_t copies = PictureCopyCount();
    EXPECT_EQ(Flip(), 1);
    EXPECT_EQ(PictureCopyCount(), copies);   // drawn where the window shows it

    SDL_SetWindowSize(window, 1280, 800);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window, &w, &h);
    ASSERT_EQ(w, 1280);
    SetColor(0, 255, 0);
    DrawRect(300.0f, 100.0f, 50.0f, 50.0f);
    copies = PictureCopyCount();
    EXPECT_EQ(Flip(), 1);
    EXPECT_EQ(PictureCopyCount(), copies + 1);   // scaled into the larger window
    EXPECT_EQ(ReadPixel(320, 120), 0xFF00FF00u);
    EXPECT_EQ(ReadPixel(120, 120), 0xFFFF0000u);

    SDL_SetWindowSize(window, 1024, 768);
    SetColor(0, 0, 255);
    DrawRect(500.0f, 100.0f, 50.0f, 50.0f);
    copies = PictureCopyCount();
    EXPECT_EQ(Flip(), 1);
    EXPECT_EQ(PictureCopyCount(), copies);
    EXPECT_EQ(ReadPixel(520, 120), 0xFF0000FFu);
    EXPECT_EQ(ReadPixel(320, 120), 0xFF00FF00u);
    EXPECT_EQ(ReadPixel(120, 120), 0xFFFF0000u);
    EXPECT_EQ(ReadPixel(700, 600), 0xFF320032u);
    SetColor(255, 255, 255);
}

// A screen of another shape than the picture (a full-screen desktop, or a resized window) shows the
// whole picture as large as fits, centred between black bars, and the mouse maps back through it.
TEST_F(PresentTest, AWindowOfAnotherShapeLetterboxesThePictureAndMapsTheMouseBack)
{
    SDL_Window* window = SDL_GetWindowFromID(DisplayWindowId());
    ASSERT_NE(window, nullptr);
    const auto game = [](int wx, int wy) {
        int gx = 0, gy = 0;
        WindowToGame(wx, wy, gx, gy);
        return std::pair(gx, gy);
    };
    // The picture's left and bottom edges in colours of their own.
    const auto show = [&](int width, int height) {
        SDL_SetWindowSize(window, width, height);
        SetClsColor(50, 0, 50);
        Cls();
        SetColor(255, 0, 0);
        DrawRect(0.0f, 0.0f, 8.0f, 768.0f);
        SetColor(0, 255, 0);
        DrawRect(8.0f, 760.0f, 1016.0f, 8.0f);
        SetColor(255, 255, 255);
        FlipDisplay(0);
    };
    // The offscreen driver keeps the surface the window was made with (1024 x 768) when the window
    // grows, clipped to the drawable's bottom left: every window pixel read below lies within it.

    // Wide (16:9): 1440 x 1080 with bars of 240 at the sides.
    show(1920, 1080);
    EXPECT_EQ(WindowPixel(239, 540), 0xFF000000u);
    EXPECT_EQ(WindowPixel(240, 540), 0xFFFF0000u);
    EXPECT_EQ(WindowPixel(600, 1079), 0xFF00FF00u);
    EXPECT_EQ(game(240, 0), std::pair(0, 0));
    EXPECT_EQ(game(1679, 1079), std::pair(1023, 767));
    EXPECT_EQ(game(960, 540), std::pair(512, 384));
    EXPECT_LT(game(239, 540).first, 0);
    EXPECT_GE(game(1680, 540).first, 1024);

    // Tall (3:4): 768 x 576 with bars of 224 above and below.
    show(768, 1024);
    EXPECT_EQ(WindowPixel(400, 799), 0xFF00FF00u);
    EXPECT_EQ(WindowPixel(400, 800), 0xFF000000u);
    EXPECT_EQ(WindowPixel(0, 500), 0xFFFF0000u);
    EXPECT_EQ(game(0, 224), std::pair(0, 0));
    EXPECT_EQ(game(384, 512), std::pair(512, 384));
    EXPECT_EQ(game(767, 799), std::pair(1022, 766));   // a window pixel spans 4/3 of a game pixel
    EXPECT_LT(game(384, 223).second, 0);
    EXPECT_GE(game(384, 800).second, 768);

    // The picture's own shape, larger: no bars, the mouse scaled.
    show(1600, 1200);
    EXPECT_EQ(WindowPixel(0, 1199), 0xFFFF0000u);
    EXPECT_EQ(WindowPixel(20, 1199), 0xFF00FF00u);
    EXPECT_EQ(game(0, 0), std::pair(0, 0));
    EXPECT_EQ(game(800, 600), std::pair(512, 384));
    EXPECT_EQ(game(1599, 1199), std::pair(1023, 767));
}
