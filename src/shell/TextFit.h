// TextFit - room for translated texts: one longer than its room is narrowed to fit, while the written
// (English) texts keep the layout they were designed for, whatever their length.
#pragma once

#include <string>

#include "platform/Font.h"

// Pixels kept free at the screen's edges and before the next text.
constexpr float FIT_MARGIN = 16.0f;

// The factor, at most 1, that brings a text `width` wide into `room`; 1 while the texts are the
// written ones, so nothing of the designed layout ever changes then.
float FitFactor(float width, float room);
// The width of text in font at x scale sx, in screen pixels.
float TextWidth(const std::string& text, const TImageFontPtr& font, float sx);
// The x scale at which text, in font at x scale sx, fits room (sx itself when it does).
float FittedScaleX(const std::string& text, const TImageFontPtr& font, float sx, float room);
