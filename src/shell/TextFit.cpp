// TextFit - narrowing translated texts into the room the layout gives them.
#include "shell/TextFit.h"

#include "platform/Language.h"
#include "platform/Platform.h"

float FitFactor(float width, float room)
{
    if (!Translated() || !(width > room) || !(room > 0.0f))
        return 1.0f;
    return room / width;
}

float TextWidth(const std::string& text, const TImageFontPtr& font, float sx)
{
    if (font)
        SetDrawFont(font);
    const float width = float(MeasureTextWidth(text)) * sx;
    if (font)
        SetDrawFont(nullptr);
    return width;
}

float FittedScaleX(const std::string& text, const TImageFontPtr& font, float sx, float room)
{
    if (!Translated())
        return sx;
    return sx * FitFactor(TextWidth(text, font, sx), room);
}
