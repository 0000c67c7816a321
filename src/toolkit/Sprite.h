// Sprite - a moving object drawn as an image or as a line of text, with shadow, scale, rotation and alpha.
#pragma once

#include <memory>
#include <string>

#include "toolkit/GameImage.h"

#include "platform/Font.h"
#include "shell/Color.h"
#include "shell/Shadow.h"

class TSprite {
public:
    // SetImage, position, StoreOriginalCoords, then text and font.
    static std::shared_ptr<TSprite> Create(const TGameImagePtr& gameImage, float x, float y,
                                           const std::string& text = "",
                                           const TImageFontPtr& textFont = nullptr);
    TSprite() = default;
    virtual ~TSprite() = default;

    // Keeps the sprite's half size inside the screen; the anchor is not moved.
    virtual int BoundsCheck();
    virtual int StoreOriginalCoords();
    // Takes size, half size and hit-box size from the image; nothing without an image.
    virtual int CalcSize();
    // Centres the text's box on the anchor, measured in the currently selected font.
    virtual int CentreText();
    // 1 when the hit boxes overlap; touching edges do not.
    virtual int CollideSprite(const std::shared_ptr<TSprite>& other);
    virtual int Draw();
    // One pass: shadowPass non-zero draws at the shadow's offset without the colour.
    virtual int DrawCore(int shadowPass);
    virtual int Logic();
    virtual int Move();
    virtual int SetHitBox(int boxX, int boxY, int boxWidth, int boxHeight);
    virtual int SetImage(const TGameImagePtr& newImage);
    virtual int SetScaleParams(float newScaleX, float newScaleY);
    // Size and half size only; the hit box stays.
    virtual int SetSize(int newWidth, int newHeight);

    float alpha = 1.0f;
    int direction = 0;
    TColorPtr color;          // text sprites only
    TGameImagePtr gameImage;
    int hitBoxX = 0;                        // relative to x
    int hitBoxY = 0;
    int hitBoxWidth = 0;
    int hitBoxHeight = 0;
    float originalX = 0.0f;                 // anchor: a text sprite is centred on it
    float originalY = 0.0f;
    float rotation = 0.0f;                  // degrees, clockwise on screen
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    TShadowPtr shadow;
    float speedX = 0.0f;
    float speedY = 0.0f;
    int width = 0;
    int height = 0;
    std::string text;                       // non-empty text takes precedence over the image
    TImageFontPtr textFont;
    int useRendererCamera = 1;
    int w2 = 0;
    int h2 = 0;
    float x = 0.0f;                         // where the handle lands; a text's top-left, set at each draw
    float y = 0.0f;
};

using TSpritePtr = std::shared_ptr<TSprite>;
