// LabelColumn - labels stacked downwards at a fixed gap, sharing font, scale, colour and shadow.
#pragma once

#include <memory>
#include <string>

#include "platform/Containers.h"
#include "toolkit/Label.h"

class TLabelColumn : public TList<TLabel> {
public:
    static std::shared_ptr<TLabelColumn> Create(float x, float y, int gap,
                                                const TImageFontPtr& imageFont,
                                                float scaleX, float scaleY,
                                                const TColorPtr& color,
                                                const TShadowPtr& shadow);
    virtual ~TLabelColumn() = default;

    // Appends a label at nextY sharing the column's colour and shadow instances; returns it.
    virtual TLabelPtr AddLabel(const std::string& text);
    virtual int Draw();
    // These four change only the labels already in the column, never the column's own settings.
    virtual int SetAlignment(int alignment);
    virtual int SetColor(const TColorPtr& newColor);
    virtual int SetShadow(const TShadowPtr& newShadow);
    virtual int SetTextFormat(int mode, int param);
    virtual int SetRendererCamera(int flag);

    TColorPtr color;
    float nextY = 0.0f;
    int gap = 0;
    TImageFontPtr imageFont;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    TShadowPtr shadow;
    float x = 0.0f;
    float y = 0.0f;
};

using TLabelColumnPtr = std::shared_ptr<TLabelColumn>;
