// LabelColumn - a stack of labels that share one font, scale, colour and shadow.
#include "toolkit/LabelColumn.h"

TLabelColumnPtr TLabelColumn::Create(float x, float y, int gap, const TImageFontPtr& imageFont,
                                     float scaleX, float scaleY, const TColorPtr& color,
                                     const TShadowPtr& shadow)
{
    auto column = std::make_shared<TLabelColumn>();
    column->x = x;
    column->y = y;
    column->nextY = y;
    column->gap = gap;
    column->imageFont = imageFont;
    column->scaleX = scaleX;
    column->scaleY = scaleY;
    column->color = color;
    column->shadow = shadow;
    return column;
}

TLabelPtr TLabelColumn::AddLabel(const std::string& labelText)
{
    auto label = TLabel::Create(labelText, x, nextY, imageFont, scaleX, scaleY);
    // The same instances, not copies: changing the column's colour object recolours every label.
    if (color) label->color = color;
    if (shadow) label->shadow = shadow;
    nextY += static_cast<float>(gap);
    AddLast(label);
    return label;
}

int TLabelColumn::Draw()
{
    for (auto& label : items)
        if (label) label->Draw();
    return 0;
}

int TLabelColumn::SetAlignment(int alignment)
{
    for (auto& label : items)
        if (label) label->alignment = alignment;
    return 0;
}

int TLabelColumn::SetColor(const TColorPtr& newColor)
{
    for (auto& label : items)
        if (label) label->color = newColor;
    return 0;
}

int TLabelColumn::SetShadow(const TShadowPtr& newShadow)
{
    for (auto& label : items)
        if (label) label->shadow = newShadow;
    return 0;
}

int TLabelColumn::SetTextFormat(int mode, int param)
{
    for (auto& label : items)
        if (label) label->SetFormatMode(mode, param);
    return 0;
}

int TLabelColumn::SetRendererCamera(int flag)
{
    for (auto& label : items)
        if (label) label->useRendererCamera = flag;
    return 0;
}
