// TRenderer - display mode, zoom camera and text output.
#include "shell/Renderer.h"

#include "platform/Language.h"
#include "platform/Platform.h"
#include "shell/Game.h"
#include "shell/Globals.h"

TRendererPtr TRenderer::Create()
{
    return std::make_shared<TRenderer>();
}

int TRenderer::CentreOnCoords(float x, float y)
{
    // Both axes use scaleX on purpose: the game keeps the two scales equal.
    float w = float(screenWidth), h = float(screenHeight);
    scrollX = 0.0f - (x / w) * (w * scaleX - w);
    scrollY = 0.0f - (y / h) * (h * scaleX - h);
    return 0;
}

int TRenderer::CreateScreen()
{
    CloseGraphics();
    if (OpenGraphics(screenWidth, screenHeight, bitDepth, 60, 0)) {
        // Start-up or a full-screen switch: the frames after it must not stall on first draws.
        PrepareDrawing();
        return 0;
    }
    // A full-screen mode the machine refuses must not leave the game without a display:
    // fall back to the window.
    if (bitDepth != 0) {
        fullScreen = 0;
        bitDepth = 0;
        if (OpenGraphics(screenWidth, screenHeight, bitDepth, 60, 0)) {
            PrepareDrawing();
            return 0;
        }
    }
    // With no window at all the game would run on where nobody can see or quit it, at start-up or
    // after Ctrl+F alike.
    RuntimeError("Calcadia could not open its window: " + OpenGraphicsFailure());
    return 0;
}

float TRenderer::GetTextWidth(const std::string& text, const TImageFontPtr& font, float scale)
{
    if (font)
        SetDrawFont(font);
    float width = float(MeasureTextWidth(text)) * scaleX * scale;
    if (font)
        SetDrawFont(nullptr);
    return width;
}

int TRenderer::OutputText(const std::string& text, float x, float y, const TImageFontPtr& font, float sx,
                          float sy, const TColorPtr& color, const TShadowPtr& shadow)
{
    // A language written right to left lays its screens out as the mirror of English's (see TLabel).
    if (WrittenRightToLeft())
        x = float(screenWidth) - x - GetTextWidth(text, font, sx);
    // With no font, neither font nor scale is touched: the text goes out as the state stands.
    if (font) {
        SetDrawFont(font);
        TempScale(sx, sy);
    }
    if (shadow) {
        shadow->Apply();
        // Shadow offsets are display pixels, not scaled with the text.
        DrawTextAt(text, x + shadow->X, y + shadow->Y);
        shadow->Restore();
    }
    if (color)
        color->Apply();
    DrawTextAt(text, x, y);
    if (color)
        color->Restore();
    if (font) {
        SetDrawFont(nullptr);
        RestoreScale();
    }
    return 0;
}

int TRenderer::OutputTextCentered(const std::string& text, float y, const TImageFontPtr& font, float sx,
                                  float sy, const TColorPtr& color, const TShadowPtr& shadow)
{
    float x = (float(screenWidth) - GetTextWidth(text, font, sx)) / 2.0f;
    return OutputText(text, x, y, font, sx, sy, color, shadow);
}

int TRenderer::GetRandX(int margin)
{
    return RandomInt(0, screenWidth - margin);
}

int TRenderer::GetRandY(int margin)
{
    return RandomInt(0, screenHeight - margin);
}

float TRenderer::GetX(float x) const
{
    return x * scaleX + scrollX;
}

float TRenderer::GetY(float y) const
{
    return y * scaleY + scrollY;
}

int TRenderer::Logic()
{
    // F's hit is used up every frame, with or without Ctrl.
    if (CtrlChordWasHit(KEY_F)) {
        ToggleFullScreen();
        // What the display really became: a refused full screen falls back to the window.
        if (fullScreenChosen)
            fullScreenChosen(fullScreen);
    }
    return 0;
}

int TRenderer::ResetScale()
{
    scaleX = 1.0f;
    scaleY = 1.0f;
    return 0;
}

int TRenderer::ResetScrolling()
{
    scrollX = 0.0f;
    scrollY = 0.0f;
    return 0;
}

int TRenderer::RestoreScale()
{
    SetDrawScale(1.0f, 1.0f);
    return 0;
}

int TRenderer::SetGameScale(float sx, float sy)
{
    scaleX = sx;
    scaleY = sy;
    return 0;
}

int TRenderer::TempScale(float sx, float sy)
{
    SetDrawScale(sx * scaleX, sy * scaleY);
    return 0;
}

int TRenderer::ToggleFullScreen()
{
    return SetFullScreen(fullScreen ? 0 : 1);
}

int TRenderer::SetFullScreen(int flag)
{
    fullScreen = flag ? 1 : 0;
    bitDepth = flag ? 32 : 0;
    return CreateScreen();
}
