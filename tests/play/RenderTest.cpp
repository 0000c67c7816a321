// Pixels of game frames on the offscreen display: question, answer field, strips, time bar, zoom.
#include "GameplayFixture.h"
#include "platform/Testing.h"

#include <cstdlib>

namespace {

// The game's background (dark purple) under the top and bottom strips' black at half opacity.
constexpr int STRIP_R = 25, STRIP_B = 25;

bool NearColor(uint32_t argb, int r, int g, int b, int tolerance = 3)
{
    return std::abs(GameHarness::Red(argb) - r) <= tolerance && std::abs(GameHarness::Green(argb) - g) <= tolerance &&
           std::abs(GameHarness::Blue(argb) - b) <= tolerance;
}

struct TBox {
    int left = 100000, top = 100000, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

}  // namespace

class GameRenderTest : public GameplayTest {
protected:
    uint32_t At(int x, int y) { return harness->Pixel(x, y); }
    // Bounding box of the pixels within the area that match the test.
    template <typename Match>
    TBox Find(int x0, int y0, int x1, int y1, Match match)
    {
        const std::vector<uint32_t> pixels = ReadBackBuffer();
        TBox box;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (match(pixels[size_t(y) * 1024 + size_t(x)])) {
                    box.left = std::min(box.left, x);
                    box.right = std::max(box.right, x);
                    box.top = std::min(box.top, y);
                    box.bottom = std::max(box.bottom, y);
                }
        return box;
    }
    static bool Background(uint32_t p) { return NearColor(p, 50, 0, 50, 2); }
    // Drops the text effects, so only the question, the field, the images and the HUD are drawn.
    void KeepOnlyImageEffects()
    {
        for (const TParticlePtr& p : Particles())
            if (!p->text.empty())
                TGameScreen::particleList->Remove(p);
    }
};

TEST_F(GameRenderTest, AGameFrameShowsQuestionFieldStripsAndBar)
{
    StartLevel();
    level->answer = 55;   // two digits, so one typed digit stays in the field
    TypeChar('5');
    KeepOnlyImageEffects();
    level->timeLeft = 900;   // a quarter of the time: 100 red pixels of 400
    harness->Redraw();

    // The question: white text centred on x 512, from y 234 down, three times as tall as the font.
    const TBox question = Find(0, 200, 1024, 370, [](uint32_t p) { return NearColor(p, 255, 255, 255, 40); });
    ASSERT_FALSE(question.Empty());
    EXPECT_NEAR((question.left + question.right) / 2.0, 512.0, 4.0);
    // The ink lies within the label's advance width, short of it only by the side bearings.
    EXPECT_LE(question.Width(), level->questionLabel->GetWidth(0));
    EXPECT_GT(question.Width(), level->questionLabel->GetWidth(0) - 40.0f);
    EXPECT_GE(question.top, 234);
    EXPECT_LT(question.top, 234 + 60);

    // The answer field: green, centred on 512 (the cursor included), from y 384 down.
    const TBox field = Find(0, 380, 1024, 640, [](uint32_t p) { return NearColor(p, 100, 255, 100, 30); });
    ASSERT_FALSE(field.Empty());
    EXPECT_GE(field.top, 384);
    EXPECT_LT(field.top, 384 + 80);
    EXPECT_NEAR((field.left + field.right) / 2.0, 512.0, 30.0);

    // Strips: black at half opacity over the background, away from their labels.
    EXPECT_TRUE(NearColor(At(300, 15), STRIP_R, 0, STRIP_B)) << std::hex << At(300, 15);
    EXPECT_TRUE(NearColor(At(150, 745), STRIP_R, 0, STRIP_B)) << std::hex << At(150, 745);
    EXPECT_TRUE(Background(At(300, 35)));
    EXPECT_TRUE(Background(At(150, 725)));

    // The time bar from x 312: red for 100 pixels, then dark grey, with a white outline.
    EXPECT_TRUE(NearColor(At(330, 740), 255, 50, 50)) << std::hex << At(330, 740);
    EXPECT_TRUE(NearColor(At(410, 740), 255, 50, 50));
    EXPECT_TRUE(NearColor(At(413, 740), 50, 50, 50)) << std::hex << At(413, 740);
    EXPECT_TRUE(NearColor(At(700, 740), 50, 50, 50));
    EXPECT_TRUE(NearColor(At(312, 748), 255, 255, 255));
    EXPECT_TRUE(NearColor(At(711, 748), 255, 255, 255));
    EXPECT_TRUE(NearColor(At(600, 733), 255, 255, 255));
    // The seconds, white, over the middle of the bar.
    const TBox seconds = Find(440, 734, 590, 762, [](uint32_t p) { return NearColor(p, 255, 255, 255, 30); });
    ASSERT_FALSE(seconds.Empty());
    EXPECT_NEAR((seconds.left + seconds.right) / 2.0, 512.0, 4.0);
    EXPECT_EQ(hud->timeLabel->text, "15");

    // Text, strips and bar share one atlas: the whole frame is a handful of draw calls.
    harness->Frame();
    EXPECT_LE(DrawCallsLastFrame(), 4);
}

TEST_F(GameRenderTest, ExplosionsGrowWithTheZoomWhileTheHudStaysPut)
{
    StartLevel();
    AnswerWrong();
    harness->Frames(9);   // ten frames into the death animation: the camera is at 1.2
    KeepOnlyImageEffects();
    ASSERT_NEAR(renderer->scaleX, 1.2f, 1e-4);

    auto effect = [](uint32_t p) { return !Background(p); };
    // Between the strips' labels, around the player.
    harness->Redraw();
    const TBox zoomed = Find(100, 60, 924, 700, effect);

    const std::vector<uint32_t> hudZoomed = ReadBackBuffer();

    // The same effects through a camera at rest.
    const float sx = renderer->scaleX, sy = renderer->scaleY;
    const float scrollX = renderer->scrollX, scrollY = renderer->scrollY;
    renderer->ResetScale();
    renderer->ResetScrolling();
    harness->Redraw();
    const TBox still = Find(100, 60, 924, 700, effect);
    const std::vector<uint32_t> hudStill = ReadBackBuffer();
    renderer->scaleX = sx;
    renderer->scaleY = sy;
    renderer->scrollX = scrollX;
    renderer->scrollY = scrollY;

    ASSERT_FALSE(zoomed.Empty());
    ASSERT_FALSE(still.Empty());

    EXPECT_NEAR(double(zoomed.Width()) / still.Width(), 1.2, 0.06);
    EXPECT_NEAR(double(zoomed.Height()) / still.Height(), 1.2, 0.06);
    // Both about the player at (512, 368).
    EXPECT_NEAR((zoomed.left + zoomed.right) / 2.0, (still.left + still.right) / 2.0, 4.0);

    // The strips, the labels and the bar are the same pixels either way.
    int differing = 0;
    for (int y : {0, 10, 20, 29, 730, 740, 750, 767})
        for (int x = 0; x < 1024; ++x)
            if (hudZoomed[size_t(y) * 1024 + size_t(x)] != hudStill[size_t(y) * 1024 + size_t(x)])
                ++differing;
    EXPECT_EQ(differing, 0);

    // The question and the answer field are hidden while the animation plays.
    EXPECT_EQ(player->answerInput->text, "");

    // Images and text alternate, yet the frame stays a few draw calls.
    harness->Frame();
    EXPECT_LE(DrawCallsLastFrame(), 12);
}
