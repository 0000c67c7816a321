// Fonts and text: loading and its failures, metrics and layout, scale, batching and the built-in font.
#include "platform/Display.h"
#include "platform/Font.h"
#include "platform/gfx/Shaping.h"
#include "platform/Preload.h"
#include "platform/DisplayFixture.h"
#include "platform/Testing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

const char* GAME_FONT = "Data/Fonts/beware.ttf";

std::vector<char> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(FontFiles, BrokenFilesGiveNullNeverACrash)
{
    const std::vector<char> ttf = ReadFile(GAME_FONT);
    ASSERT_GT(ttf.size(), 10000u);
    std::vector<char> garbage(5000);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 2654435761u) >> 11);
    const struct { const char* name; std::vector<char> bytes; } cases[] = {
        {"empty.ttf", {}},
        {"truncated.ttf", {ttf.begin(), ttf.begin() + 2000}},
        {"garbage.ttf", garbage},
    };
    for (const auto& c : cases) {
        const std::string path = std::string("font_test_") + c.name;
        std::ofstream(path, std::ios::binary).write(c.bytes.data(), std::streamsize(c.bytes.size()));
        EXPECT_EQ(LoadFontFile(path, 64, 4), nullptr) << c.name;
        std::remove(path.c_str());
    }
    EXPECT_EQ(LoadFontFile("Data/Fonts/missing.ttf", 64, 4), nullptr);
    EXPECT_EQ(LoadFontFile("Data/Fonts", 64, 4), nullptr);   // a folder
    EXPECT_EQ(LoadFontFile(GAME_FONT, 0, 4), nullptr);

    // A file cut inside its glyph data still loads its tables; its glyphs then fail one by one and
    // are skipped, never read past the end.
    const std::string path = "font_test_cut.ttf";
    std::ofstream(path, std::ios::binary).write(ttf.data(), std::streamsize(ttf.size() * 3 / 4));
    const TImageFontPtr cut = LoadFontFile(path, 32, 4);
    std::remove(path.c_str());
    if (cut) {
        SetDrawFont(cut);
        EXPECT_GE(MeasureTextWidth("The quick brown fox 0123456789"), 0);
        SetDrawFont(nullptr);
    }
}

TEST(FontMeasure, WidthsSumWholeAdvancesAndHeightIsTheLine)
{
    const TImageFontPtr font = LoadFontFile(GAME_FONT, 64, 4);
    ASSERT_NE(font, nullptr);
    SetDrawFont(font);
    EXPECT_EQ(MeasureTextWidth(""), 0);
    EXPECT_EQ(MeasureTextHeight(""), FontHeight(font));
    EXPECT_GT(FontHeight(font), 48);          // a 64-pixel face has a line of roughly the em or more
    EXPECT_LT(FontAscender(font), FontHeight(font));
    const int one = MeasureTextWidth("1");
    EXPECT_GT(one, 20);
    EXPECT_EQ(MeasureTextWidth("1111"), 4 * one);
    EXPECT_EQ(MeasureTextWidth("12") + MeasureTextWidth("34"), MeasureTextWidth("1234"));
    // Characters without a glyph are skipped and take no room; UTF-8 is read as characters.
    EXPECT_EQ(MeasureTextWidth("1\xE4\xB8\x80" "2"), MeasureTextWidth("12"));
    EXPECT_GT(MeasureTextWidth("\xC3\xA9"), 0);
    EXPECT_EQ(MeasureTextWidth("\xC3\xA9"), MeasureTextWidth("\xC3\xA9\xFF") - MeasureTextWidth("\xFF"));
    // Scale does not change the measure.
    SetDrawScale(0.5f, 0.5f);
    EXPECT_EQ(MeasureTextWidth("1111"), 4 * one);
    SetDrawScale(1.0f, 1.0f);

    // Smaller sizes give smaller fonts; the null font is the built-in one. A font read on the preload
    // thread is the one of its own size, rasterised there once and not again when it is taken.
    const uint64_t rasterisedBefore = GlyphsRasterisedCount();
    PreloadFont(GAME_FONT, 16, 0);
    StartPreloading();
    const TImageFontPtr small = LoadFontFile(GAME_FONT, 16, 0);
    FinishPreloading();
    const uint64_t rasterisedSmall = GlyphsRasterisedCount();
    const TImageFontPtr large = LoadFontFile(GAME_FONT, 64, 4);
    EXPECT_EQ(GlyphsRasterisedCount() - rasterisedBefore, 2 * (GlyphsRasterisedCount() - rasterisedSmall));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(FontHeight(large), FontHeight(font));
    EXPECT_LT(FontHeight(small), FontHeight(font));
    SetDrawFont(nullptr);
    EXPECT_EQ(MeasureTextHeight("x"), FontHeight(nullptr));
    EXPECT_EQ(MeasureTextWidth("abc"), 3 * MeasureTextWidth("a"));
    EXPECT_EQ(MeasureTextWidth("\t"), 0);
}

using TextDrawTest = DisplayTest;

TEST_F(TextDrawTest, GlyphsSitOnTheBaselineAndFollowScaleAndRotation)
{
    const TImageFontPtr font = LoadFontFile(GAME_FONT, 64, 4);
    ASSERT_NE(font, nullptr);
    SetDrawFont(font);
    SetBlend(3);

    // A flat-bottomed capital ends on the baseline, ascender pixels below the pen.
    DrawTextAt("H", 100.0f, 100.0f);
    TInkBox box = FindInk();
    EXPECT_EQ(box.bottom, 100 + FontAscender(font) - 1);
    EXPECT_GE(box.left, 100);
    EXPECT_LT(box.left, 110);
    EXPECT_GT(box.top, 100);

    const std::string text = "Hello World 12345";
    const int measured = MeasureTextWidth(text);
    Cls();
    DrawTextAt(text, 10.0f, 10.0f);
    const int fullInk = FindInk().Width();
    EXPECT_LE(fullInk, measured);
    EXPECT_GT(fullInk, measured - 20);

    Cls();
    SetDrawScale(0.5f, 0.5f);
    DrawTextAt(text, 10.0f, 10.0f);
    box = FindInk();
    EXPECT_NEAR(box.Width(), measured / 2.0, 10.0);
    EXPECT_NEAR(box.Width(), fullInk / 2.0, 2.0);
    EXPECT_LT(box.bottom, 10 + FontHeight(font) / 2);

    // Turned 90 degrees the line runs down the screen, left of the pen.
    Cls();
    SetDrawScale(1.0f, 1.0f);
    SetDrawRotation(90.0f);
    DrawTextAt(text, 500.0f, 10.0f);
    box = FindInk();
    EXPECT_NEAR(box.Height(), fullInk, 2.0);
    EXPECT_LT(box.right, 500);

    // A letter the font lacks comes from the fallback face, on the same baseline, capitals as tall.
    Cls();
    SetDrawScale(1.0f, 1.0f);
    SetDrawRotation(0.0f);
    DrawTextAt("H", 100.0f, 100.0f);
    const TInkBox latin = FindInk();
    EXPECT_EQ(GlyphAdvance(U'\u041D'), -1);   // Cyrillic En, which looks like H
    EXPECT_FALSE(AddFallbackFace(font, "Data/Fonts/LICENSE.txt"));
    EXPECT_EQ(GlyphAdvance(U'\u041D'), -1);
    ASSERT_TRUE(AddFallbackFace(font, "Data/Fonts/fallback.ttf"));
    EXPECT_GT(GlyphAdvance(U'\u041D'), 0);
    EXPECT_EQ(GlyphAdvance(U'H'), MeasureTextWidth("H"));   // the font's own glyphs stay its own
    Cls();
    DrawTextAt("\xD0\x9D", 100.0f, 100.0f);
    const TInkBox cyrillic = FindInk();
    EXPECT_NEAR(cyrillic.bottom, latin.bottom, 1);
    EXPECT_NEAR(cyrillic.Height(), latin.Height(), 2);

    // Colour and alpha tint the glyphs.
    Cls();
    SetDrawRotation(0.0f);
    SetColor(255, 0, 0);
    DrawTextAt("I", 300.0f, 300.0f);
    box = FindInk();
    const uint32_t middle = ReadPixel((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    EXPECT_EQ(middle, 0xFFFF0000u);
}

TEST_F(TextDrawTest, ALineOfTextIsOneDrawCall)
{
    const TImageFontPtr font = LoadFontFile(GAME_FONT, 64, 4);
    const TImageFontPtr other = LoadFontFile(GAME_FONT, 24, 0);
    ASSERT_NE(font, nullptr);
    ASSERT_NE(other, nullptr);
    SetBlend(3);
    SetDrawFont(font);
    SetDrawScale(0.3f, 0.3f);
    const std::string line = "Score 0123456789 Level 12 Combo x3 Time!";
    ASSERT_EQ(line.size(), 40u);
    FlipDisplay(0);
    DrawTextAt(line, 0.0f, 0.0f);
    FlipDisplay(0);
    EXPECT_EQ(DrawCallsLastFrame(), 1);

    DrawTextAt(line, 0.0f, 100.0f);
    SetDrawFont(other);
    DrawTextAt(line, 0.0f, 200.0f);
    FlipDisplay(0);
    EXPECT_EQ(DrawCallsLastFrame(), 2);
}

TEST_F(TextDrawTest, TheBuiltInFontDrawsAndFontsSurviveAReopen)
{
    SetDrawFont(nullptr);
    DrawTextAt("Built-in 42", 20.0f, 20.0f);
    const TInkBox builtin = FindInk();
    EXPECT_GT(builtin.count, 50);
    EXPECT_LE(builtin.Width(), MeasureTextWidth("Built-in 42"));
    EXPECT_GE(builtin.top, 20);
    EXPECT_LE(builtin.bottom, 20 + MeasureTextHeight(""));

    const TImageFontPtr font = LoadFontFile(GAME_FONT, 40, 4);
    ASSERT_NE(font, nullptr);
    SetBlend(3);
    SetDrawFont(font);
    Cls();
    DrawTextAt("Reopen 7", 50.0f, 50.0f);
    const std::vector<uint32_t> before = ReadBackBuffer();

    ASSERT_NE(OpenGraphics(1024, 768, 0, 60, 0), nullptr);
    SetBlend(3);
    SetDrawFont(font);
    Cls();
    DrawTextAt("Reopen 7", 50.0f, 50.0f);
    EXPECT_EQ(ReadBackBuffer(), before);
}

TEST_F(TextDrawTest, GlyphsStayIntactAsTheAtlasFillsMorePages)
{
    // At this size only a handful of glyphs fit on a page, so later glyphs open new pages; none may
    // overwrite or bleed into one drawn before.
    const TImageFontPtr font = LoadFontFile(GAME_FONT, 260, 4);
    ASSERT_NE(font, nullptr);
    SetDrawFont(font);
    SetBlend(3);
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::vector<std::vector<uint32_t>> first;
    for (char c : letters) {
        Cls();
        DrawTextAt(std::string(1, c), 100.0f, 100.0f);
        first.push_back(ReadBackBuffer());
        EXPECT_GT(FindInk().count, 100) << c;
    }
    for (size_t i = 0; i < letters.size(); ++i) {
        Cls();
        DrawTextAt(std::string(1, letters[i]), 100.0f, 100.0f);
        const std::vector<uint32_t> again = ReadBackBuffer();
        int differ = 0, worst = 0;
        for (size_t p = 0; p < again.size(); ++p)
            if (again[p] != first[i][p]) {
                ++differ;
                worst = std::max({worst, std::abs(Red(again[p]) - Red(first[i][p]))});
            }
        EXPECT_EQ(differ, 0) << letters[i] << " worst " << worst;
    }
    FlipDisplay(0);
    DrawTextAt(letters, 0.0f, 400.0f);
    FlipDisplay(0);
    EXPECT_GT(DrawCallsLastFrame(), 1);
}

// The build's cuts of the Noto faces shape as the scripts ask (so the cut kept the layout tables): an
// Arabic letter takes its joined form inside a word, the word runs right to left with a number and its
// "!" to its left, and Hindi's vowel sign i stands before the consonant it follows in the text.
TEST(Shaping, ArabicJoinsRightToLeftAndHindiReordersItsVowelSign)
{
    const std::vector<std::string> arabic = {GAME_FONT, "Data/Fonts/ar.ttf"};
    const gfx::TShapedLine alone = gfx::ShapeLineWithFiles("س", arabic, 64);
    const gfx::TShapedLine word = gfx::ShapeLineWithFiles("مسألة", arabic, 64);
    ASSERT_EQ(alone.glyphs.size(), 1u);
    ASSERT_EQ(word.glyphs.size(), 5u);
    EXPECT_TRUE(word.rightToLeft);
    // Left to right on the screen, the letters come last to first: byte offsets 8, 6, 4, 2, 0.
    for (size_t i = 0; i < word.glyphs.size(); ++i) {
        EXPECT_EQ(word.glyphs[i].cluster, 8 - 2 * i) << i;
        EXPECT_EQ(word.glyphs[i].face, 1);
        if (i > 0) {
            EXPECT_GT(word.glyphs[i].x, word.glyphs[i - 1].x);
        }
    }
    EXPECT_NE(word.glyphs[3].glyph, alone.glyphs[0].glyph);   // س joined on both sides

    const gfx::TShapedLine done = gfx::ShapeLineWithFiles("أكملت المستوى 3!", arabic, 64);
    ASSERT_FALSE(done.glyphs.empty());
    EXPECT_TRUE(done.rightToLeft);
    EXPECT_EQ(done.glyphs.front().cluster, std::string("أكملت المستوى 3").size());   // the "!" leftmost
    EXPECT_EQ(done.glyphs[1].cluster, std::string("أكملت المستوى ").size());         // then the 3
    EXPECT_EQ(done.glyphs.back().cluster, 0u);                                        // the first letter rightmost

    const std::vector<std::string> hindi = {GAME_FONT, "Data/Fonts/hi.ttf"};
    const gfx::TShapedLine la = gfx::ShapeLineWithFiles("ल", hindi, 64);
    const gfx::TShapedLine write = gfx::ShapeLineWithFiles("लिखो", hindi, 64);
    ASSERT_EQ(la.glyphs.size(), 1u);
    ASSERT_GE(write.glyphs.size(), 3u);
    EXPECT_FALSE(write.rightToLeft);
    EXPECT_NE(write.glyphs[0].glyph, la.glyphs[0].glyph);   // the sign i, first on the screen
    EXPECT_EQ(write.glyphs[1].glyph, la.glyphs[0].glyph);   // then ल, which it follows in the text
    EXPECT_LT(write.glyphs[0].x, write.glyphs[1].x);

    // The scripts written a character at a time are left to the plain drawing.
    EXPECT_FALSE(gfx::NeedsShaping("Niveau 3 réussi\u202f! Уровень 選一種 Điểm"));
    EXPECT_TRUE(gfx::NeedsShaping("Level 3: المستوى"));
    EXPECT_TRUE(gfx::NeedsShaping("लिखो"));
}
