// StatLabel - a caption and a value on one line ("Score" and its number).
#pragma once

#include <memory>
#include <string>

#include "toolkit/Label.h"

class TStatLabel {
public:
    // Both labels start at (x, y); the value is in zero-padded mode 0 (shown unchanged) until changed.
    static std::shared_ptr<TStatLabel> Create(const std::string& descriptionText,
                                              const std::string& statText, float x, float y,
                                              const TImageFontPtr& imageFont,
                                              float scaleX, float scaleY);
    virtual ~TStatLabel() = default;

    // Puts the value gap pixels (scaled) right of the caption, measured once, now.
    virtual int AlignAsRow(int gap);
    virtual int Draw();
    // gapX scaled by the caption's scale, and by the zoom when the caption uses the camera.
    virtual float GetGapX();
    virtual int SetColor(int r, int g, int b, float alpha);
    virtual int SetShadow(float x, float y, float alpha);
    virtual int SetUseRendererCamera(int flag);
    // New value text, formatted by the value label's own format.
    virtual int UpdateStat(const std::string& newText);

    TLabelPtr description;
    float gapX = 10.0f;
    TLabelPtr stat;
};

using TStatLabelPtr = std::shared_ptr<TStatLabel>;
