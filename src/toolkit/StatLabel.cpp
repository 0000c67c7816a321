// StatLabel - a caption with its value placed once to its right.
#include "toolkit/StatLabel.h"

#include "shell/Globals.h"
#include "shell/Renderer.h"

TStatLabelPtr TStatLabel::Create(const std::string& descriptionText, const std::string& statText,
                                 float x, float y, const TImageFontPtr& imageFont, float scaleX,
                                 float scaleY)
{
    auto row = std::make_shared<TStatLabel>();
    row->description = TLabel::Create(descriptionText, x, y, imageFont, scaleX, scaleY);
    row->stat = TLabel::Create(statText, x, y, imageFont, scaleX, scaleY);
    row->stat->SetFormatMode(0, 0);
    return row;
}

int TStatLabel::AlignAsRow(int gap)
{
    gapX = static_cast<float>(gap);
    stat->x = description->x + description->GetWidth(0) + GetGapX();
    return 0;
}

int TStatLabel::Draw()
{
    description->Draw();
    stat->Draw();
    return 0;
}

float TStatLabel::GetGapX()
{
    if (description->useRendererCamera != 0 && renderer)
        return gapX * renderer->scaleX * description->scaleX;
    return gapX * description->scaleX;
}

int TStatLabel::SetColor(int r, int g, int b, float alpha)
{
    description->SetColor(r, g, b, alpha);
    stat->SetColor(r, g, b, alpha);
    return 0;
}

int TStatLabel::SetShadow(float x, float y, float alpha)
{
    description->SetShadow(x, y, alpha);
    stat->SetShadow(x, y, alpha);
    return 0;
}

int TStatLabel::SetUseRendererCamera(int flag)
{
    description->useRendererCamera = flag;
    stat->useRendererCamera = flag;
    return 0;
}

int TStatLabel::UpdateStat(const std::string& newText)
{
    stat->textRaw = newText;
    stat->UpdateText();
    return 0;
}
