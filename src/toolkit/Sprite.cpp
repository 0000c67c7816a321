// Sprite - positioning, collision and the two-pass (shadow, then main) drawing of images and text.
#include "toolkit/Sprite.h"

#include "platform/Platform.h"
#include "shell/Globals.h"
#include "shell/Helpers.h"
#include "shell/Renderer.h"

TSpritePtr TSprite::Create(const TGameImagePtr& gameImage, float x, float y, const std::string& text,
                           const TImageFontPtr& textFont)
{
    auto sprite = std::make_shared<TSprite>();
    sprite->SetImage(gameImage);
    sprite->x = x;
    sprite->y = y;
    sprite->StoreOriginalCoords();
    sprite->text = text;
    sprite->textFont = textFont;
    return sprite;
}

int TSprite::BoundsCheck()
{
    const int screenWidth = renderer ? renderer->screenWidth : 1024;
    const int screenHeight = renderer ? renderer->screenHeight : 768;
    if (x < w2) x = static_cast<float>(w2);
    else if (x > screenWidth - w2) x = static_cast<float>(screenWidth - w2);
    if (y < h2) y = static_cast<float>(h2);
    else if (y > screenHeight - h2) y = static_cast<float>(screenHeight - h2);
    return 0;
}

int TSprite::StoreOriginalCoords()
{
    originalX = x;
    originalY = y;
    return 0;
}

int TSprite::CalcSize()
{
    if (!gameImage) return 0;
    width = gameImage->w;
    height = gameImage->h;
    w2 = static_cast<int>(gameImage->w2);
    h2 = static_cast<int>(gameImage->h2);
    hitBoxWidth = width;
    hitBoxHeight = height;
    return 0;
}

int TSprite::CentreText()
{
    float tw = static_cast<float>(MeasureTextWidth(text)) * scaleX;
    float th = static_cast<float>(MeasureTextHeight(text)) * scaleY;
    x = originalX - tw / 2.0f;
    y = originalY - th / 2.0f;
    return 0;
}

int TSprite::CollideSprite(const TSpritePtr& other)
{
    if (!other) return 0;
    return RectsOverlap(static_cast<int>(x + hitBoxX), static_cast<int>(y + hitBoxY), hitBoxWidth,
                        hitBoxHeight, static_cast<int>(other->x + other->hitBoxX),
                        static_cast<int>(other->y + other->hitBoxY), other->hitBoxWidth,
                        other->hitBoxHeight);
}

int TSprite::Draw()
{
    // Exact comparisons: a sprite at rotation 0 and alpha 1.0 touches neither setting.
    const bool rotated = rotation != 0.0f;
    const bool faded = alpha != 1.0f;
    if (rotated) SetDrawRotation(rotation);
    if (faded) SetAlpha(alpha);
    if (shadow) {
        shadow->Apply();
        if (faded) SetAlpha(shadow->alpha * alpha);
        DrawCore(1);
        TShadow::Restore();
        // The shadow's Restore put the alpha back to 1.0; a fading sprite must fade in its main pass
        // too, not only in its shadow.
        if (faded) SetAlpha(alpha);
    }
    DrawCore(0);
    if (rotated) SetDrawRotation(0.0f);
    if (faded) SetAlpha(1.0f);
    return 0;
}

int TSprite::DrawCore(int shadowPass)
{
    const float ox = (shadowPass != 0 && shadow) ? shadow->X : 0.0f;
    const float oy = (shadowPass != 0 && shadow) ? shadow->Y : 0.0f;
    const bool camera = useRendererCamera != 0 && renderer;

    if (camera) renderer->TempScale(scaleX, scaleY);
    else SetDrawScale(scaleX, scaleY);
    auto px = [&](float v) { return camera ? renderer->GetX(v) : v; };
    auto py = [&](float v) { return camera ? renderer->GetY(v) : v; };

    if (!text.empty()) {
        if (textFont) SetDrawFont(textFont);
        const bool coloured = shadowPass == 0 && color;
        if (coloured) {
            color->Apply();
            // The sprite's own fade wins over the colour's alpha unless the sprite is fully opaque.
            if (alpha != 1.0f) SetAlpha(alpha);
        }
        CentreText();
        DrawTextAt(text, px(x + ox), py(y + oy));
        if (textFont) SetDrawFont(nullptr);
        if (coloured) TColor::Restore();
    } else if (gameImage && gameImage->image) {
        // Always the first frame; in the shadow pass the current black colour gives a silhouette.
        DrawImageAt(gameImage->image, px(x + ox), py(y + oy), 0);
    }

    if (renderer) renderer->RestoreScale();
    else SetDrawScale(1.0f, 1.0f);
    return 0;
}

int TSprite::Logic()
{
    return 0;
}

int TSprite::Move()
{
    x += speedX;
    y += speedY;
    originalX += speedX;
    originalY += speedY;
    return 0;
}

int TSprite::SetHitBox(int boxX, int boxY, int boxWidth, int boxHeight)
{
    hitBoxX = boxX;
    hitBoxY = boxY;
    hitBoxWidth = boxWidth;
    hitBoxHeight = boxHeight;
    return 0;
}

int TSprite::SetImage(const TGameImagePtr& newImage)
{
    gameImage = newImage;
    CalcSize();
    return 0;
}

int TSprite::SetScaleParams(float newScaleX, float newScaleY)
{
    scaleX = newScaleX;
    scaleY = newScaleY;
    return 0;
}

int TSprite::SetSize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    w2 = newWidth / 2;
    h2 = newHeight / 2;
    return 0;
}
