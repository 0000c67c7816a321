// Label - measuring and drawing one aligned, scaled, optionally shadowed line of text.
#include "toolkit/Label.h"

#include "platform/Language.h"
#include "platform/Platform.h"
#include "shell/Globals.h"
#include "shell/Renderer.h"
#include "shell/TextFit.h"

namespace {
// Selecting and deselecting the label's own font around each measure or draw keeps the drawing state
// neutral between objects: the built-in font is current whenever no one is drawing.
struct TFontScope {
    explicit TFontScope(const TImageFontPtr& font) : active(font != nullptr)
    {
        if (active) SetDrawFont(font);
    }
    ~TFontScope()
    {
        if (active) SetDrawFont(nullptr);
    }
    bool active;
};
}

TLabelPtr TLabel::Create(const std::string& text, float x, float y, const TImageFontPtr& imageFont,
                         float scaleX, float scaleY)
{
    auto label = std::make_shared<TLabel>();
    label->InitLabel(text, x, y, imageFont, scaleX, scaleY);
    return label;
}

TLabel::TLabel() = default;
TLabel::~TLabel() = default;

void TLabel::InitLabel(const std::string& newText, float newX, float newY, const TImageFontPtr& font,
                       float newScaleX, float newScaleY)
{
    textRaw = newText;
    textFormat = TTextFormat::Create();
    UpdateText();
    x = newX;
    y = newY;
    imageFont = font;
    scaleX = newScaleX;
    scaleY = newScaleY;
}

float TLabel::GetWidth(int ignoreCamera)
{
    TFontScope scope(imageFont);
    float w = static_cast<float>(MeasureTextWidth(text));
    if (useRendererCamera != 0 && ignoreCamera == 0 && renderer) return w * renderer->scaleX * scaleX;
    return w * scaleX;
}

float TLabel::GetHeight(int ignoreCamera)
{
    TFontScope scope(imageFont);
    float h = static_cast<float>(MeasureTextHeight(text));
    if (useRendererCamera != 0 && ignoreCamera == 0 && renderer) return h * renderer->scaleY * scaleY;
    return h * scaleY;
}

float TLabel::GetPotentialWidth(const std::string& candidate, int ignoreCamera)
{
    std::string saved = std::move(text);
    text = candidate;
    float width = GetWidth(ignoreCamera);
    text = std::move(saved);
    return width;
}

void TLabel::GetAlignedPosition(float& dx, float& dy)
{
    dx = x + offsetX;
    dy = y + offsetY;
    // Alignment uses the label's own scale only: the zoom is applied afterwards by GetX/GetY and
    // TempScale, so the aligned point zooms with everything else.
    switch (alignment) {
    case ALIGN_RIGHT:
        dx = (x - GetWidth(1)) + offsetX;
        break;
    case ALIGN_CENTRE_ALL:
        dx = (x - GetWidth(1) / 2.0f) + offsetX;
        dy = (y - GetHeight(1) / 2.0f) + offsetY;
        break;
    case ALIGN_CENTRE_HORIZ:
        dx = (x - GetWidth(1) / 2.0f) + offsetX;
        break;
    case ALIGN_CENTRE_VERT:
        dy = (y - GetHeight(1) / 2.0f) + offsetY;
        break;
    default:
        break;
    }
    // A language written right to left reads its screens from the right: every label stands where the
    // mirror of the English screen puts it, its letters unmirrored (a caption on the right, its number
    // to its left; a column of names ending at the right edge).
    // The offset (a shake, an effect's drift) is the label's own and stays as it is.
    if (mirrored && WrittenRightToLeft()) {
        const float screen = renderer ? float(renderer->screenWidth) : 1024.0f;
        dx = screen - (dx - offsetX) - GetWidth(1) + offsetX;
    }
}

int TLabel::Draw()
{
    float dx = 0.0f;
    float dy = 0.0f;
    GetAlignedPosition(dx, dy);

    TFontScope scope(imageFont);
    const bool camera = useRendererCamera != 0 && renderer;

    auto drawAt = [&](float px, float py) {
        if (camera) {
            renderer->TempScale(scaleX, scaleY);
            DrawTextAt(text, renderer->GetX(px), renderer->GetY(py));
        } else {
            SetDrawScale(scaleX, scaleY);
            DrawTextAt(text, px, py);
        }
    };

    if (shadow) {
        shadow->Apply();
        // The offset is in the label's coordinates, so with the camera on it zooms too.
        drawAt(dx + shadow->X, dy + shadow->Y);
        TShadow::Restore();
    }
    if (color) color->Apply();
    drawAt(dx, dy);
    if (renderer) renderer->RestoreScale();
    else SetDrawScale(1.0f, 1.0f);
    if (color) TColor::Restore();
    return 0;
}

int TLabel::SetColor(int r, int g, int b, float alpha)
{
    color = TColor::Create(r, g, b, alpha);
    return 0;
}

int TLabel::SetFormatMode(int mode, int param)
{
    // A label constructed directly rather than by Create has no format yet.
    if (!textFormat) textFormat = TTextFormat::Create();
    textFormat->SetFormatMode(mode, param);
    SetText(textRaw);
    return 0;
}

int TLabel::SetShadow(float sx, float sy, float alpha)
{
    shadow = TShadow::Create(sx, sy, alpha);
    return 0;
}

int TLabel::SetText(const std::string& newText)
{
    text = textFormat ? textFormat->MakeFormattedString(newText) : newText;
    return 0;
}

int TLabel::SetTextRaw(const std::string& newText)
{
    textRaw = newText;
    SetText(newText);
    return 0;
}

int TLabel::UpdateText()
{
    SetText(textRaw);
    return 0;
}

void FitLabelWidth(TLabel& label, float room)
{
    if (Translated())
        label.scaleX *= FitFactor(label.GetWidth(1), room);
}
