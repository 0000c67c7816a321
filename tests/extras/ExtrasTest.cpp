// The optional utility library: number formatting, list appending, geometry and rounding, the C generator, ARGB packing,
// pixel copies and blends, and the glyph-by-glyph text and float outline on a real display.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <cmath>
#include <set>

#include "extras/Extras.h"
#include "platform/DisplayFixture.h"
#include "platform/Platform.h"
#include "platform/Testing.h"
#include "support/game/GameHarness.h"

namespace {

TEST(FormatNumberTest, CutsDecimalsWithoutRounding)
{
    EXPECT_EQ(FormatNumber(2.999, 2, 0, 0), "2.99");
    // The shortest text of 0.29 is "0.29"; its binary value 0.28999... must not cut to 0.28.
    EXPECT_EQ(FormatNumber(0.29, 2, 0, 0), "0.29");
    EXPECT_EQ(FormatNumber(1234.5678, 0, 0, 0), "1234");
    EXPECT_EQ(FormatNumber(5, 2, 0, 0), "5.00");
    EXPECT_EQ(FormatNumber(1e-7, 3, 0, 0), "0.000");
    EXPECT_EQ(FormatNumber(1e20, 0, 0, 0), "100000000000000000000");
    EXPECT_EQ(FormatNumber(-2.5, 0, 0, 0), "-2");
    // A cut that leaves nothing but zeros has no sign.
    EXPECT_EQ(FormatNumber(-0.5, 0, 0, 0), "0");
    EXPECT_EQ(FormatNumber(1.5, -3, 0, 0), "1");
    EXPECT_EQ(FormatNumber(INFINITY, 2, 3, 0), "inf");
    EXPECT_EQ(FormatNumber(NAN, 0, 0, 0), "nan");
    // A wild decimal count is capped instead of allocating gigabytes of zeros.
    EXPECT_LT(FormatNumber(1.0, INT_MAX, 0, 0).size(), 400u);
}

TEST(FormatNumberTest, GroupsDigitsLeftOfThePointNeverAfterTheSign)
{
    EXPECT_EQ(FormatNumber(1234567.891, 2, 3, 0), "1,234,567.89");
    EXPECT_EQ(FormatNumber(1234, 0, 3, 0), "1,234");
    EXPECT_EQ(FormatNumber(12345, 0, 2, 0), "1,23,45");
    EXPECT_EQ(FormatNumber(1234, 0, 4, 0), "1234");
    EXPECT_EQ(FormatNumber(-123456, 0, 3, 0), "-123,456");
    EXPECT_EQ(FormatNumber(-1234.5, 1, 3, 0), "-1,234.5");
    EXPECT_EQ(FormatNumber(123456, 0, -3, 0), "123456");
}

TEST(FormatNumberTest, WidthRightAlignsOrSaysError)
{
    // The field is width + decimals + 1 characters.
    EXPECT_EQ(FormatNumber(3.14159, 2, 0, 5), "    3.14");
    EXPECT_EQ(FormatNumber(123456, 0, 0, 5), "123456");
    EXPECT_EQ(FormatNumber(1234567, 0, 0, 5), " Error");
    EXPECT_EQ(FormatNumber(-12345.678, 2, 0, 5), "   Error");
    // Grouping commas count towards the length.
    EXPECT_EQ(FormatNumber(1234, 0, 3, 4), "1,234");
    EXPECT_EQ(FormatNumber(12345, 0, 3, 4), "Error");
    // A field narrower than "Error" gets the bare word.
    EXPECT_EQ(FormatNumber(12345, 0, 0, 2), "Error");
    EXPECT_EQ(FormatNumber(INFINITY, 0, 0, 5), "   inf");
}

TEST(UtilitiesTest, AppendListSkipsNullsAndSurvivesAppendingToItself)
{
    using TNames = TList<std::string>;
    auto target = std::make_shared<TNames>();
    auto source = std::make_shared<TNames>();
    const std::shared_ptr<TNames> none;

    EXPECT_EQ(AppendList(none, source), 0);
    EXPECT_EQ(AppendList(target, none), 0);
    EXPECT_EQ(AppendList(target, source), 0);   // empty source

    source->AddLast(std::make_shared<std::string>("a"));
    source->AddLast(nullptr);
    source->AddLast(std::make_shared<std::string>("b"));
    target->AddLast(std::make_shared<std::string>("x"));
    EXPECT_EQ(AppendList(target, source), 1);
    std::vector<std::string> names;
    for (const auto& item : *target)
        names.push_back(*item);
    EXPECT_EQ(names, (std::vector<std::string>{"x", "a", "b"}));
    EXPECT_EQ(source->Count(), 3);

    // The elements are shared, not copied; a list appended to itself doubles once and stops.
    EXPECT_EQ(target->items.back(), source->items.back());
    EXPECT_EQ(AppendList(target, target), 1);
    EXPECT_EQ(target->Count(), 6);
}

TEST(UtilitiesTest, GeometryAndPointNearSegmentClampedAtBothEnds)
{
    EXPECT_DOUBLE_EQ(LegLength(5, 3), 4.0);
    EXPECT_TRUE(std::isnan(LegLength(3, 5)));
    EXPECT_DOUBLE_EQ(Distance(1, 2, 4, 6), 5.0);

    // Segment (0, 0)-(10, 0). Beside it the distance is the perpendicular one, strictly less than radius.
    EXPECT_EQ(PointNearSegment(0, 0, 10, 0, 5, 3, 3.01), 1);
    EXPECT_EQ(PointNearSegment(0, 0, 10, 0, 5, 3, 3.0), 0);
    // Past either end the end point counts: (13, 4) is 4 from the line but 5 from (10, 0).
    EXPECT_EQ(PointNearSegment(0, 0, 10, 0, 13, 4, 4.5), 0);
    EXPECT_EQ(PointNearSegment(0, 0, 10, 0, 13, 4, 5.1), 1);
    EXPECT_EQ(PointNearSegment(0, 0, 10, 0, -3, -4, 5.1), 1);
    // Slanted.
    EXPECT_EQ(PointNearSegment(0, 0, 6, 8, 9, 12, 5.1), 1);
    EXPECT_EQ(PointNearSegment(0, 0, 6, 8, 9, 12, 4.9), 0);
    // A segment of no length is a point, with no division by zero.
    EXPECT_EQ(PointNearSegment(2, 2, 2, 2, 5, 6, 5.5), 1);
    EXPECT_EQ(PointNearSegment(2, 2, 2, 2, 5, 6, 4.5), 0);
}

TEST(UtilitiesTest, RoundingRules)
{
    EXPECT_EQ(RoundNearest(2.5), 3);
    EXPECT_EQ(RoundNearest(-2.5), -2);
    // Just below a half: floor(x + 0.5) in doubles would say 1.
    EXPECT_EQ(RoundNearest(0.49999999999999994), 0);
    EXPECT_EQ(RoundNearest(1e300), INT_MAX);
    EXPECT_EQ(RoundNearest(NAN), 0);

    // Halves away from zero, as the number is written.
    EXPECT_DOUBLE_EQ(RoundToPlaces(1.005, 2), 1.01);
    EXPECT_DOUBLE_EQ(RoundToPlaces(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(RoundToPlaces(1.0049, 2), 1.0);
    EXPECT_DOUBLE_EQ(RoundToPlaces(9.995, 2), 10.0);
    EXPECT_DOUBLE_EQ(RoundToPlaces(-1234.5, 0), -1235.0);
    EXPECT_DOUBLE_EQ(RoundToPlaces(0.006, 2), 0.01);
    EXPECT_DOUBLE_EQ(RoundToPlaces(1250, -2), 1300.0);
    EXPECT_DOUBLE_EQ(RoundToPlaces(1.5, INT_MAX), 1.5);
    EXPECT_EQ(RoundToPlaces(1.5, INT_MIN), 0.0);
    EXPECT_TRUE(std::isinf(RoundToPlaces(1.7976931348623157e308, -308)));

    EXPECT_DOUBLE_EQ(SemitoneRate(12), 2.0);
    EXPECT_DOUBLE_EQ(SemitoneRate(-12), 0.5);
}

TEST(UtilitiesTest, CRandomIntCoversBothEndsInEitherOrderAndRepeatsPerSeed)
{
    CSeedRandom(7);
    std::set<int> seen;
    std::vector<int> first;
    for (int i = 0; i < 1000; ++i) {
        const int value = CRandomInt(5, 1);
        first.push_back(value);
        seen.insert(CRandomInt(1, 5));
        seen.insert(value);
    }
    EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(CRandomInt(3, 3), 3);
    // The full int range neither overflows nor leaves it.
    for (int i = 0; i < 100; ++i)
        EXPECT_GE(CRandomInt(INT_MAX, INT_MAX - 1), INT_MAX - 1);
    CRandomInt(INT_MIN, INT_MAX);

    CSeedRandom(7);
    std::vector<int> again;
    for (int i = 0; i < 1000; ++i) {
        again.push_back(CRandomInt(5, 1));
        CRandomInt(1, 5);
    }
    EXPECT_EQ(again, first);
}

TEST(UtilitiesTest, ArgbSplitsAndJoins)
{
    EXPECT_EQ(PackARGB(0x12, 0x34, 0x56, 0x78), 0x12345678);
    const int opaque = PackARGB(255, 128, 192, 1);
    EXPECT_EQ(uint32_t(opaque), 0xFF80C001u);
    EXPECT_EQ(ColorAlpha(opaque), 255);
    EXPECT_EQ(ColorRed(opaque), 128);
    EXPECT_EQ(ColorGreen(opaque), 192);
    EXPECT_EQ(ColorBlue(opaque), 1);
    for (uint32_t argb : {0u, 0xFFFFFFFFu, 0x80000000u, 0x7F010203u, 0xDEADBEEFu}) {
        const int value = int(argb);
        EXPECT_EQ(uint32_t(PackARGB(ColorAlpha(value), ColorRed(value), ColorGreen(value), ColorBlue(value))), argb);
    }
    // Out-of-range parts are clamped, never spilled into their neighbours.
    EXPECT_EQ(uint32_t(PackARGB(300, -5, 128, 256)), 0xFF0080FFu);
}

// An image of w x h with pixel (x, y) = 0xFF000000 | (y + 1) << 8 | (x + 1): easy to tell apart.
TImagePtr Numbered(int w, int h)
{
    TImagePtr image = CreateBlankImage(w, h, 1, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image->pixels[0][size_t(y * w + x)] = 0xFF000000u | uint32_t(y + 1) << 8 | uint32_t(x + 1);
    return image;
}

uint32_t P(int x, int y) { return 0xFF000000u | uint32_t(y + 1) << 8 | uint32_t(x + 1); }

TEST(PixelCopyTest, MirroredCopiesOfAThreeByTwoImage)
{
    const TImagePtr source = Numbered(3, 2);
    const std::vector<uint32_t> expected[4] = {
        {P(0, 0), P(1, 0), P(2, 0), P(0, 1), P(1, 1), P(2, 1)},   // as is
        {P(2, 0), P(1, 0), P(0, 0), P(2, 1), P(1, 1), P(0, 1)},   // left to right
        {P(0, 1), P(1, 1), P(2, 1), P(0, 0), P(1, 0), P(2, 0)},   // upside down
        {P(2, 1), P(1, 1), P(0, 1), P(2, 0), P(1, 0), P(0, 0)},   // both
    };
    for (int mode = 0; mode < 4; ++mode) {
        const TImagePtr target = CreateBlankImage(3, 2, 1, 0);
        CopyPixelRectMirrored(source, 0, 0, 3, 2, target, 0, 0, mode);
        EXPECT_EQ(target->pixels[0], expected[mode]) << "mode " << mode;
    }
    const TImagePtr target = CreateBlankImage(3, 2, 1, 0);
    CopyPixelRect(source, 0, 0, 3, 2, target, 0, 0);
    EXPECT_EQ(target->pixels[0], expected[0]);
    CopyPixelRectMirrored(source, 0, 0, 3, 2, target, 0, 0, 4);
    EXPECT_EQ(target->pixels[0], expected[0]);   // an unknown mode copies nothing

    // The source stays as it was, and its first frame only is read.
    EXPECT_EQ(source->pixels[0], expected[0]);
}

TEST(PixelCopyTest, CopiesAreClippedAtEveryEdgeOfSourceAndTarget)
{
    const TImagePtr source = Numbered(4, 4);
    const uint32_t _ = 0;
    struct TCase {
        const char* what;
        int x, y, w, h, tx, ty, mode;
        std::vector<uint32_t> rows;   // the 4 x 4 target afterwards
    };
    const TCase cases[] = {
        {"source left", -1, 0, 2, 1, 0, 0, 0, {_, P(0, 0), _, _, _, _, _, _, _, _, _, _, _, _, _, _}},
        {"source right", 3, 0, 2, 1, 0, 0, 0, {P(3, 0), _, _, _, _, _, _, _, _, _, _, _, _, _, _, _}},
        {"source top", 0, -1, 1, 2, 0, 0, 0, {_, _, _, _, P(0, 0), _, _, _, _, _, _, _, _, _, _, _}},
        {"source bottom", 0, 3, 1, 2, 0, 0, 0, {P(0, 3), _, _, _, _, _, _, _, _, _, _, _, _, _, _, _}},
        {"target left", 0, 0, 2, 1, -1, 0, 0, {P(1, 0), _, _, _, _, _, _, _, _, _, _, _, _, _, _, _}},
        {"target right", 0, 0, 2, 1, 3, 0, 0, {_, _, _, P(0, 0), _, _, _, _, _, _, _, _, _, _, _, _}},
        {"target top", 0, 0, 1, 2, 0, -1, 0, {P(0, 1), _, _, _, _, _, _, _, _, _, _, _, _, _, _, _}},
        {"target bottom", 0, 0, 1, 2, 0, 3, 0, {_, _, _, _, _, _, _, _, _, _, _, _, P(0, 0), _, _, _}},
        // Mirrored, the clipped pixels are the ones that would land outside, not the last ones read.
        {"mirrored target left", 0, 0, 3, 1, -1, 0, 1, {P(1, 0), P(0, 0), _, _, _, _, _, _, _, _, _, _, _, _, _, _}},
        {"mirrored source right", 2, 0, 3, 1, 0, 0, 1, {_, P(3, 0), P(2, 0), _, _, _, _, _, _, _, _, _, _, _, _, _}},
        {"flipped target bottom", 0, 0, 1, 3, 0, 2, 2, {_, _, _, _, _, _, _, _, P(0, 2), _, _, _, P(0, 1), _, _, _}},
        // Everything clipped away, and sizes that would overflow.
        {"all outside", 0, 0, 4, 4, 4, 0, 0, {_, _, _, _, _, _, _, _, _, _, _, _, _, _, _, _}},
        {"empty", 0, 0, 0, 4, 0, 0, 0, {_, _, _, _, _, _, _, _, _, _, _, _, _, _, _, _}},
        {"huge", INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 3,
         {_, _, _, _, _, _, _, _, _, _, _, _, _, _, _, _}},
    };
    for (const TCase& c : cases) {
        const TImagePtr target = CreateBlankImage(4, 4, 1, 0);
        CopyPixelRectMirrored(source, c.x, c.y, c.w, c.h, target, c.tx, c.ty, c.mode);
        EXPECT_EQ(target->pixels[0], c.rows) << c.what;
    }
    // The rectangle moves as a whole: its part inside the source lands where it lies in the rectangle.
    const TImagePtr target = CreateBlankImage(2, 2, 1, 0);
    CopyPixelRect(source, -100, -100, 1000, 1000, target, 0, 0);
    EXPECT_EQ(target->pixels[0], (std::vector<uint32_t>(4, 0)));
    CopyPixelRect(source, -1, -1, 1000, 1000, target, 0, 0);
    EXPECT_EQ(target->pixels[0], (std::vector<uint32_t>{0, 0, 0, P(0, 0)}));
    CopyPixelRect(source, 1, 2, 1000, 1000, target, 0, 0);
    EXPECT_EQ(target->pixels[0], (std::vector<uint32_t>{P(1, 2), P(2, 2), P(1, 3), P(2, 3)}));
    CopyPixelRect(nullptr, 0, 0, 1, 1, target, 0, 0);
    CopyPixelRect(source, 0, 0, 1, 1, nullptr, 0, 0);
}

TEST(PixelCopyTest, OverlappingCopiesWithinOneImageReadBeforeWriting)
{
    const TImagePtr image = Numbered(4, 2);
    CopyPixelRect(image, 0, 0, 3, 2, image, 1, 0);
    EXPECT_EQ(image->pixels[0],
              (std::vector<uint32_t>{P(0, 0), P(0, 0), P(1, 0), P(2, 0), P(0, 1), P(0, 1), P(1, 1), P(2, 1)}));

    const TImagePtr row = Numbered(4, 1);
    CopyPixelRectMirrored(row, 0, 0, 4, 1, row, 0, 0, MIRROR_LEFT_RIGHT);
    EXPECT_EQ(row->pixels[0], (std::vector<uint32_t>{P(3, 0), P(2, 0), P(1, 0), P(0, 0)}));
}

TEST(PixelCopyTest, CopyImageIsADeepCopyOfEveryFrame)
{
    const TImagePtr image = CreateBlankImage(2, 3, 2, IMAGE_MASKED);
    image->flags = IMAGE_MASKED;
    image->handleX = 1.5f;
    image->handleY = 2.0f;
    for (int frame = 0; frame < 2; ++frame)
        for (size_t i = 0; i < 6; ++i)
            image->pixels[frame][i] = 0xFF000000u + uint32_t(frame * 100 + i);

    const TImagePtr copy = CopyImage(image);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, image);
    EXPECT_EQ(copy->width, 2);
    EXPECT_EQ(copy->height, 3);
    EXPECT_EQ(copy->flags, IMAGE_MASKED);
    EXPECT_EQ(copy->handleX, 1.5f);
    EXPECT_EQ(copy->handleY, 2.0f);
    EXPECT_EQ(copy->pixels, image->pixels);
    copy->pixels[1][0] = 0;
    EXPECT_EQ(image->pixels[1][0], 0xFF000064u);
    EXPECT_EQ(CopyImage(nullptr), nullptr);
}

TEST(BlendImageTest, MixesByAlphaAndBrightnessClippedToTheTarget)
{
    const TImagePtr image = CreateBlankImage(3, 1, 1, 0);
    image->pixels[0] = {0xFFFF0000u, 0x8000FF00u, 0x00FFFFFFu};   // opaque red, half green, transparent
    const TImagePtr canvas = CreateBlankImage(3, 1, 1, 0);
    auto blend = [&](uint32_t background, int x, float alpha, float brightness) {
        canvas->pixels[0].assign(3, background);
        PixelBuffer target = LockImagePixels(canvas, 0, 1, 1);
        BlendImageInto(image, 0, target, x, 0, alpha, brightness);
        UnlockImagePixels(canvas, 0);
        return canvas->pixels[0];
    };
    using Row = std::vector<uint32_t>;
    // Over opaque blue: the half-alpha green (128/255) leaves 127 of the blue.
    EXPECT_EQ(blend(0xFF0000FFu, 0, 1.0f, 1.0f), (Row{0xFFFF0000u, 0xFF00807Fu, 0xFF0000FFu}));
    // The alpha argument scales the pixel's own; brightness scales the source colour, clamped at 255.
    EXPECT_EQ(blend(0xFF0000FFu, 0, 0.5f, 2.0f), (Row{0xFFFF0080u, 0xFF0080BFu, 0xFF0000FFu}));
    EXPECT_EQ(blend(0xFF0000FFu, 0, 1.0f, 0.0f), (Row{0xFF000000u, 0xFF00007Fu, 0xFF0000FFu}));
    EXPECT_EQ(blend(0xFF0000FFu, 0, -1.0f, 1.0f), (Row{0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu}));
    // Over a transparent target the alpha builds up from the source's.
    EXPECT_EQ(blend(0x00000000u, 0, 1.0f, 1.0f), (Row{0xFFFF0000u, 0x80008000u, 0x00000000u}));
    // Clipped at both ends of the target.
    EXPECT_EQ(blend(0xFF0000FFu, 2, 1.0f, 1.0f), (Row{0xFF0000FFu, 0xFF0000FFu, 0xFFFF0000u}));
    EXPECT_EQ(blend(0xFF0000FFu, -1, 1.0f, 1.0f), (Row{0xFF00807Fu, 0xFF0000FFu, 0xFF0000FFu}));
    EXPECT_EQ(blend(0xFF0000FFu, INT_MIN, 1.0f, 1.0f), (Row{0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu}));

    // A colour blended over itself at any strength keeps its value.
    const TImagePtr same = CreateBlankImage(1, 1, 1, 0);
    same->pixels[0][0] = 0xFFC86432u;
    canvas->pixels[0].assign(3, 0xFFC86432u);
    PixelBuffer target = LockImagePixels(canvas, 0, 1, 1);
    for (float alpha : {0.1f, 0.3f, 0.7f, 0.9f})
        BlendImageInto(same, 0, target, 1, 0, alpha, 1.0f);
    EXPECT_EQ(canvas->pixels[0][1], 0xFFC86432u);
}

TEST(BlendImageDeathTest, NullImageIsTheRuntimeError)
{
    RestoreRealProgramExit();
    const TImagePtr canvas = CreateBlankImage(2, 2, 1, 0);
    PixelBuffer target = LockImagePixels(canvas, 0, 1, 1);
    EXPECT_EXIT(BlendImageInto(nullptr, 0, target, 0, 0, 1.0f, 1.0f), testing::ExitedWithCode(255),
                "image doesnt exist");
}

class UtilitiesDrawTest : public DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        font = LoadFontFile("Data/Fonts/beware.ttf", 32, FONT_STYLE_SMOOTH);
        ASSERT_NE(font, nullptr);
        SetDrawFont(font);
        SetBlend(3);
    }
    std::vector<uint32_t> Frame(const std::function<void()>& draw)
    {
        Cls();
        draw();
        return ReadBackBuffer();
    }
    TImageFontPtr font;
};

TEST_F(UtilitiesDrawTest, TransformedTextAtNinetyDegreesRunsDownwardsWithItsSpacing)
{
    SetDrawRotation(90);
    const auto plain = Frame([] { DrawTextAt("1234", 300, 100); });
    const auto glyphs = Frame([] { DrawTextTransformed("1234", 300, 100, 0); });
    EXPECT_EQ(glyphs, plain);

    Cls();
    DrawTextTransformed("1234", 300, 100, 0);
    const TInkBox tight = FindInk();
    EXPECT_GT(tight.Height(), 2 * tight.Width());
    // Turned clockwise: the line box extends to the left of x and down from y.
    EXPECT_LE(tight.right, 300);
    EXPECT_GE(tight.top, 98);

    Cls();
    DrawTextTransformed("1234", 300, 100, 10);
    const TInkBox spaced = FindInk();
    EXPECT_NEAR(spaced.Height() - tight.Height(), 30, 1);   // three gaps
    EXPECT_NEAR(spaced.Width(), tight.Width(), 1);
    EXPECT_EQ(spaced.top, tight.top);

    // Characters the font lacks neither draw nor move the pen.
    ASSERT_EQ(GlyphAdvance(U'\u4E00'), -1);
    const auto missing = Frame([] { DrawTextTransformed("12\xE4\xB8\x80" "34", 300, 100, 10); });
    EXPECT_EQ(missing, Frame([] { DrawTextTransformed("1234", 300, 100, 10); }));
    SetDrawRotation(0);
}

TEST_F(UtilitiesDrawTest, SnappedTextPutsEachGlyphOnAWholePixel)
{
    // At 90 degrees every glyph shares the starting x, so snapping 300.7 down gives the text at 300.
    SetDrawRotation(90);
    const auto at300 = Frame([] { DrawTextTransformed("1234", 300.0f, 100, 3); });
    EXPECT_NE(Frame([] { DrawTextTransformed("1234", 300.7f, 100, 3); }), at300);
    EXPECT_EQ(Frame([] { DrawTextTransformedSnapped("1234", 300.7f, 100, 3); }), at300);

    // Upright at half size the advances are fractional: each glyph lands on floor(x + pen), the
    // pen keeping its fraction, rather than the fractions adding up or the glyph staying between pixels.
    SetDrawRotation(0);
    SetDrawScale(0.5f, 0.5f);
    const std::u32string text = U"1234567";
    const auto expected = Frame([&] {
        double pen = 100.25;
        for (char32_t c : text) {
            DrawGlyphAt(c, float(std::floor(pen)), 200);
            pen += 0.5 * (GlyphAdvance(c) + 2);
        }
    });
    EXPECT_EQ(Frame([] { DrawTextTransformedSnapped("1234567", 100.25f, 200, 2); }), expected);
    EXPECT_NE(Frame([] { DrawTextTransformed("1234567", 100.25f, 200, 2); }), expected);
    SetDrawScale(1, 1);
}

TEST_F(UtilitiesDrawTest, ImagePartsAndFloatOutline)
{
    // Four 2 x 2 quadrants: red, green / blue, white.
    const TImagePtr image = CreateBlankImage(4, 4, 1, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image->pixels[0][size_t(y * 4 + x)] =
                y < 2 ? (x < 2 ? 0xFFFF0000u : 0xFF00FF00u) : (x < 2 ? 0xFF0000FFu : 0xFFFFFFFFu);
    image->handleX = image->handleY = 3;   // the parts ignore the image's handle

    Cls();
    DrawImagePart(image, 100, 100, 2, 0, 2, 2);
    TInkBox box = FindInk();
    EXPECT_EQ(box.left, 100);
    EXPECT_EQ(box.top, 100);
    EXPECT_EQ(box.Width(), 2);
    EXPECT_EQ(box.Height(), 2);
    EXPECT_EQ(ReadPixel(101, 101), 0xFF00FF00u);

    Cls();
    DrawImageRect(image, 200, 100, 8, 6, 0, 2, 2, 2);
    box = FindInk();
    EXPECT_EQ(box.left, 200);
    EXPECT_EQ(box.top, 100);
    EXPECT_EQ(box.Width(), 8);
    EXPECT_EQ(box.Height(), 6);
    EXPECT_EQ(box.count, 48);
    EXPECT_EQ(ReadPixel(207, 105), 0xFF0000FFu);

    // The float outline reaches x + width and y + height: 31 x 41 pixels, each drawn once.
    Cls();
    DrawRectOutlineF(10, 20, 30, 40);
    box = FindInk();
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 20);
    EXPECT_EQ(box.Width(), 31);
    EXPECT_EQ(box.Height(), 41);
    EXPECT_EQ(box.count, 2 * 30 + 2 * 40);
}

}  // namespace
