// TRenderer - owns the display mode, the zoom camera that maps game to display coordinates, and text output.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "shell/Color.h"
#include "shell/Shadow.h"

class TImageFont;
class TRenderer;
using TRendererPtr = std::shared_ptr<TRenderer>;

class TRenderer {
public:
    virtual ~TRenderer() = default;

    int bitDepth = 0;      // 0 = a window, 32 = full screen
    int fullScreen = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    int screenWidth = 1024;
    int screenHeight = 768;
    float scrollX = 0.0f;
    float scrollY = 0.0f;
    // Told what the display really became after each Ctrl+F, so the choice can be kept for the next
    // launch; start-up points it at the kept settings (the core itself keeps nothing).
    std::function<void(int fullScreen)> fullScreenChosen;

    static TRendererPtr Create();

    // Zooms about (x, y): the point keeps its display position while the rest spreads out by the scale.
    virtual int CentreOnCoords(float x, float y);
    // Closes and reopens the display at screenWidth x screenHeight, depth bitDepth.
    virtual int CreateScreen();
    // Width of the text as OutputText draws it at this scale and the game scale.
    virtual float GetTextWidth(const std::string& text, const std::shared_ptr<TImageFont>& font, float scale);
    // Draws at display position (x, y), not through the camera; null font, colour or shadow are skipped.
    virtual int OutputText(const std::string& text, float x, float y, const std::shared_ptr<TImageFont>& font,
                           float sx, float sy, const TColorPtr& color, const TShadowPtr& shadow);
    virtual int OutputTextCentered(const std::string& text, float y, const std::shared_ptr<TImageFont>& font,
                                   float sx, float sy, const TColorPtr& color, const TShadowPtr& shadow);
    virtual int GetRandX(int margin);
    virtual int GetRandY(int margin);
    virtual float GetX(float x) const;
    virtual float GetY(float y) const;
    // Ctrl+F toggles full screen; run only while the game is not paused.
    virtual int Logic();
    virtual int ResetScale();
    virtual int ResetScrolling();
    // Draw scale back to 1.0 (not to the game scale).
    virtual int RestoreScale();
    virtual int SetGameScale(float sx, float sy);
    // Draw scale = the object's own scale times the game scale; the fields are not changed.
    virtual int TempScale(float sx, float sy);
    virtual int ToggleFullScreen();
    virtual int SetFullScreen(int flag);
};
