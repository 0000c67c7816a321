// Colours, shadows and number formats: their defaults, the drawing state they leave, and padding rules.
#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "shell/Color.h"
#include "shell/Shadow.h"
#include "shell/TextFormat.h"

namespace {

void ExpectDrawState(int r, int g, int b, float alpha)
{
    const TDrawState& state = GetDrawState();
    EXPECT_EQ(state.r, r);
    EXPECT_EQ(state.g, g);
    EXPECT_EQ(state.b, b);
    EXPECT_FLOAT_EQ(state.alpha, alpha);
}

TEST(ColorTest, DefaultsCopiesAndOutParameters)
{
    TColor black;
    EXPECT_EQ(black.R, 0);
    EXPECT_EQ(black.G, 0);
    EXPECT_EQ(black.B, 0);
    EXPECT_FLOAT_EQ(black.alpha, 1.0f);

    // A copy is a value: later changes to the source do not reach it.
    auto source = TColor::Create(10, 20, 30, 0.25f);
    auto copy = TColor::Create(0, 0, 0, 1.0f);
    copy->Copy(source);
    source->Set(200, 210, 220, 0.75f);
    int r = -1, g = -1, b = -1;
    float a = -1.0f;
    copy->GetFull(r, g, b, a);
    EXPECT_EQ(r, 10);
    EXPECT_EQ(g, 20);
    EXPECT_EQ(b, 30);
    EXPECT_FLOAT_EQ(a, 0.25f);

    // Values out of range are kept as given; clamping is the drawing layer's business.
    auto wild = TColor::Create(300, -5, 128, 2.0f);
    wild->Get(r, g, b);
    EXPECT_EQ(r, 300);
    EXPECT_EQ(g, -5);
    EXPECT_EQ(b, 128);
}

TEST(ColorTest, ApplyAndRestoreDrivingTheDrawingState)
{
    SetColor(1, 2, 3);
    SetAlpha(0.3f);
    TColor::Create(255, 0, 0, 0.5f)->Apply();
    ExpectDrawState(255, 0, 0, 0.5f);
    TColor::Restore();
    ExpectDrawState(255, 255, 255, 1.0f);

    // ApplyNoAlpha keeps whatever alpha another object set.
    SetAlpha(0.3f);
    TColor::Create(0, 128, 64, 1.0f)->ApplyNoAlpha();
    ExpectDrawState(0, 128, 64, 0.3f);
    TColor::Restore();
}

TEST(ShadowTest, DefaultsApplyBlackAtItsAlphaAndRestoreWhite)
{
    TShadow shadow;
    EXPECT_FLOAT_EQ(shadow.X, 1.0f);
    EXPECT_FLOAT_EQ(shadow.Y, 1.0f);
    EXPECT_FLOAT_EQ(shadow.alpha, 0.5f);

    auto deep = TShadow::Create(4.0f, -2.0f, 0.8f);
    auto copy = TShadow::Create(0, 0, 0);
    copy->Copy(deep);
    deep->Init(9.0f, 9.0f, 0.1f);
    EXPECT_FLOAT_EQ(copy->X, 4.0f);
    EXPECT_FLOAT_EQ(copy->Y, -2.0f);
    EXPECT_FLOAT_EQ(copy->alpha, 0.8f);

    SetColor(12, 34, 56);
    copy->Apply();
    ExpectDrawState(0, 0, 0, 0.8f);
    copy->Restore();
    ExpectDrawState(255, 255, 255, 1.0f);
}

TEST(TextFormatTest, StringZeroPaddedAndUnknownModes)
{
    TTextFormat format;
    EXPECT_EQ(format.formatMode, TTextFormat::FORMAT_MODE_STRING);
    EXPECT_EQ(format.MakeFormattedString("-5 apples"), "-5 apples");

    format.SetFormatMode(TTextFormat::FORMAT_MODE_ZERO_PADDED_INT, 6);
    EXPECT_EQ(format.MakeFormattedString("123"), "000123");
    EXPECT_EQ(format.MakeFormattedString("1234567"), "1234567");
    EXPECT_EQ(format.MakeFormattedString(""), "000000");

    // Textual padding: the sign is just another character.
    format.SetFormatMode(TTextFormat::FORMAT_MODE_ZERO_PADDED_INT, 3);
    EXPECT_EQ(format.MakeFormattedString("-5"), "0-5");

    format.SetFormatMode(TTextFormat::FORMAT_MODE_ZERO_PADDED_INT, 0);
    EXPECT_EQ(format.MakeFormattedString("42"), "42");
    format.SetFormatMode(TTextFormat::FORMAT_MODE_ZERO_PADDED_INT, -4);
    EXPECT_EQ(format.MakeFormattedString("42"), "42");

    // Any other mode shows nothing.
    format.SetFormatMode(1, 6);
    EXPECT_EQ(format.MakeFormattedString("123"), "");
}

}   // namespace
