// FloatDrawing - drawing at float positions: text glyph by glyph, parts of images, rectangle outlines.
#pragma once

#include <memory>
#include <string>

class TImage;

// Draws the source rectangle (sx, sy, sw, sh) of a frame stretched to w x h, its top-left corner
// anchored at (x, y) under the current rotation and scale.
int DrawImageRect(const std::shared_ptr<TImage>& image, float x, float y, float w, float h, float sx,
                  float sy, float sw, float sh, int frame = 0);
// Draws the width x height rectangle at (sx, sy) of the first frame, unstretched, its top-left at (x, y).
int DrawImagePart(const std::shared_ptr<TImage>& image, float x, float y, float sx, float sy, float width,
                  float height);

// Draws text glyph by glyph in the current font, colour, rotation and scale, with the pen starting at
// (x, y) as for DrawTextAt and `spacing` extra font pixels after each glyph (scaled and turned with the
// text). With spacing 0 this draws exactly what DrawTextAt draws.
int DrawTextTransformed(const std::string& text, float x, float y, float spacing);
// The same, with each glyph's x rounded down to a whole pixel; the pen itself keeps its fraction, so
// the rounding never adds up along the line.
int DrawTextTransformedSnapped(const std::string& text, float x, float y, float spacing);

// As DrawRectOutline, at float corners (x, y) and (x + width, y + height).
int DrawRectOutlineF(float x, float y, float width, float height);
