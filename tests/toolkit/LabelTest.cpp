// Labels, label columns and statistic rows: alignment arithmetic, formats, shared styles, row layout.
#include "platform/Language.h"
#include "toolkit/Label.h"
#include "toolkit/LabelColumn.h"
#include "toolkit/StatLabel.h"
#include "toolkit/ToolkitFixture.h"

namespace {
using LabelTest = ToolkitTest;

TEST_F(LabelTest, CentredLabelMatchesTheWorkedExample)
{
    // Scale chosen so the scaled width is 100, as for a 200-pixel text at scale 0.5.
    const std::string text = "Calcadia";
    const float scale = 100.0f / float(Measure(text));
    auto label = TLabel::Create(text, 512, 300, font, scale, scale);
    label->alignment = TLabel::ALIGN_CENTRE_HORIZ;
    label->SetShadow(2, 2, 0.5f);

    EXPECT_NEAR(label->GetWidth(1), 100.0f, 1e-3f);
    float dx = 0, dy = 0;
    label->GetAlignedPosition(dx, dy);
    EXPECT_NEAR(dx, 462.0f, 1e-3f);
    EXPECT_FLOAT_EQ(dy, 300.0f);
    // The shadow is drawn at the aligned point plus its offset, through the (identity) camera.
    EXPECT_NEAR(renderer->GetX(dx + label->shadow->X), 464.0f, 1e-3f);

    // Drawing hands the drawing state back neutral.
    label->color = TColor::Create(255, 0, 0, 0.5f);
    label->Draw();
    const TDrawState& state = GetDrawState();
    EXPECT_EQ(state.scaleX, 1.0f);
    EXPECT_EQ(state.scaleY, 1.0f);
    EXPECT_EQ(state.r, 255);
    EXPECT_EQ(state.g, 255);
    EXPECT_EQ(state.b, 255);
    EXPECT_EQ(state.alpha, 1.0f);
    EXPECT_EQ(state.font, nullptr);
}

TEST_F(LabelTest, AlignmentsOffsetsAndEmptyText)
{
    const std::string text = "1234";
    auto label = TLabel::Create(text, 400, 200, font, 0.5f, 0.25f);
    label->offsetX = 3;
    label->offsetY = -4;
    const float W = Measure(text) * 0.5f;
    const float H = MeasureHeight() * 0.25f;
    float dx = 0, dy = 0;

    struct Case { int alignment; float dx, dy; };
    const Case cases[] = {
        {TLabel::ALIGN_LEFT, 403, 196},
        {TLabel::ALIGN_RIGHT, 400 - W + 3, 196},
        {TLabel::ALIGN_CENTRE_ALL, 400 - W / 2 + 3, 200 - H / 2 - 4},
        {TLabel::ALIGN_CENTRE_HORIZ, 400 - W / 2 + 3, 196},
        {TLabel::ALIGN_CENTRE_VERT, 403, 200 - H / 2 - 4},
        {7, 403, 196},   // unknown values draw left-aligned
    };
    for (const Case& c : cases) {
        label->alignment = c.alignment;
        label->GetAlignedPosition(dx, dy);
        EXPECT_FLOAT_EQ(dx, c.dx) << "alignment " << c.alignment;
        EXPECT_FLOAT_EQ(dy, c.dy) << "alignment " << c.alignment;
    }
    // Written right to left, the box is the mirror of English's about the screen's middle, the offset
    // kept; a label that is not mirrored (the answer field) stays put.
    UseLanguage("calcadia", "locale", "he");
    for (const Case& c : cases) {
        label->alignment = c.alignment;
        label->mirrored = 1;
        label->GetAlignedPosition(dx, dy);
        EXPECT_FLOAT_EQ(dx, 1024 - (c.dx - 3) - W + 3) << "alignment " << c.alignment;
        EXPECT_FLOAT_EQ(dy, c.dy) << "alignment " << c.alignment;
        label->mirrored = 0;
        label->GetAlignedPosition(dx, dy);
        EXPECT_FLOAT_EQ(dx, c.dx) << "alignment " << c.alignment;
    }
    label->mirrored = 1;
    UseLanguage("calcadia", "locale", "en");

    // An empty text is 0 wide but a full line high.
    label->SetTextRaw("");
    label->alignment = TLabel::ALIGN_CENTRE_ALL;
    label->GetAlignedPosition(dx, dy);
    EXPECT_FLOAT_EQ(dx, 403);
    EXPECT_FLOAT_EQ(dy, 200 - H / 2 - 4);
    EXPECT_FLOAT_EQ(label->GetWidth(1), 0.0f);
}

TEST_F(LabelTest, CameraScalesMeasuresButNotAlignment)
{
    auto label = TLabel::Create("42", 100, 100, font, 1.0f, 1.0f);
    renderer->scaleX = 1.5f;
    renderer->scaleY = 1.5f;
    EXPECT_FLOAT_EQ(label->GetWidth(0), 1.5f * label->GetWidth(1));
    EXPECT_FLOAT_EQ(label->GetHeight(0), 1.5f * label->GetHeight(1));
    label->useRendererCamera = 0;
    EXPECT_FLOAT_EQ(label->GetWidth(0), label->GetWidth(1));

    // Potential width measures another text without disturbing either text.
    label->SetTextRaw("7");
    label->SetText("8");
    EXPECT_FLOAT_EQ(label->GetPotentialWidth("123456", 1), float(Measure("123456")));
    EXPECT_EQ(label->text, "8");
    EXPECT_EQ(label->textRaw, "7");
}

TEST_F(LabelTest, FormatModesAndTheThreeTextSetters)
{
    auto label = TLabel::Create("5", 0, 0, font, 1, 1);
    EXPECT_EQ(label->text, "5");
    label->SetFormatMode(TTextFormat::FORMAT_MODE_ZERO_PADDED_INT, 2);
    EXPECT_EQ(label->text, "05");   // re-derived at once

    label->SetFormatMode(TTextFormat::FORMAT_MODE_ZERO_PADDED_INT, 5);
    label->SetTextRaw("42");
    EXPECT_EQ(label->text, "00042");
    label->SetText("7");
    EXPECT_EQ(label->text, "00007");
    EXPECT_EQ(label->textRaw, "42");
    label->UpdateText();
    EXPECT_EQ(label->text, "00042");

    label->SetFormatMode(1, 0);   // unknown mode shows nothing
    EXPECT_EQ(label->text, "");
}

TEST_F(LabelTest, ColumnStacksLabelsAndSharesStyles)
{
    auto red = TColor::Create(255, 0, 0, 1.0f);
    auto shadow = TShadow::Create(2, 2, 0.5f);
    auto column = TLabelColumn::Create(300, 260, 40, font, 0.5f, 0.5f, red, shadow);
    for (const char* text : {"one", "two", "three", "four", "five"}) column->AddLabel(text);

    const float expectedY[] = {260, 300, 340, 380, 420};
    int i = 0;
    for (const auto& label : *column) {
        EXPECT_FLOAT_EQ(label->y, expectedY[i++]);
        EXPECT_FLOAT_EQ(label->x, 300);
        EXPECT_EQ(label->color, red);     // the very same instance
        EXPECT_EQ(label->shadow, shadow);
    }
    EXPECT_EQ(column->Count(), 5);

    // A label's own SetColor gives it a new colour and leaves the shared one alone.
    auto first = column->items.front();
    first->SetColor(0, 255, 0, 1.0f);
    EXPECT_NE(first->color, red);
    EXPECT_EQ(red->R, 255);
    EXPECT_EQ(red->G, 0);
    EXPECT_EQ(column->items.back()->color, red);

    // The setters reach only labels already added; a later label gets the column's own settings.
    auto blue = TColor::Create(0, 0, 255, 1.0f);
    column->SetColor(blue);
    column->SetAlignment(TLabel::ALIGN_RIGHT);
    column->SetRendererCamera(0);
    column->SetTextFormat(TTextFormat::FORMAT_MODE_ZERO_PADDED_INT, 3);
    auto late = column->AddLabel("7");
    EXPECT_EQ(late->color, red);
    EXPECT_EQ(late->alignment, TLabel::ALIGN_LEFT);
    EXPECT_EQ(late->useRendererCamera, 1);
    EXPECT_EQ(late->text, "7");
    EXPECT_FLOAT_EQ(late->y, 460);
    for (const auto& label : *column) {
        if (label == late) continue;
        EXPECT_EQ(label->color, blue);
        EXPECT_EQ(label->alignment, TLabel::ALIGN_RIGHT);
        EXPECT_EQ(label->useRendererCamera, 0);
        EXPECT_EQ(label->textFormat->formatMode, TTextFormat::FORMAT_MODE_ZERO_PADDED_INT);
    }
}

TEST_F(LabelTest, StatRowPlacesTheValueOnceAfterTheCaption)
{
    const std::string caption = "Score";
    const float scale = 0.4f;
    auto row = TStatLabel::Create(caption, "0", 20, 10, font, scale, scale);
    EXPECT_FLOAT_EQ(row->stat->x, 20);   // overlapping until aligned

    // A 150-pixel caption would give 20 + 60 + 16: the caption's scaled width plus 40 x 0.4.
    row->AlignAsRow(40);
    EXPECT_NEAR(row->stat->x, 20 + Measure(caption) * scale + 16, 1e-3f);
    EXPECT_FLOAT_EQ(row->GetGapX(), 16);

    // Measured once: a zoom afterwards does not move the value, but the gap now includes it.
    renderer->scaleX = 2.0f;
    const float placed = row->stat->x;
    row->UpdateStat("123");
    EXPECT_FLOAT_EQ(row->stat->x, placed);
    EXPECT_FLOAT_EQ(row->GetGapX(), 32);
    row->SetUseRendererCamera(0);
    EXPECT_FLOAT_EQ(row->GetGapX(), 16);

    // The value keeps its own format across updates.
    row->stat->SetFormatMode(TTextFormat::FORMAT_MODE_ZERO_PADDED_INT, 6);
    row->UpdateStat("42");
    EXPECT_EQ(row->stat->text, "000042");
    EXPECT_EQ(row->description->text, caption);

    row->SetColor(1, 2, 3, 0.5f);
    EXPECT_NE(row->description->color, row->stat->color);
}
}
