// Image fonts - TrueType faces rasterised per glyph on first use into shared atlas pages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TImageFont;
using TImageFontPtr = std::shared_ptr<TImageFont>;

enum : int { FONT_STYLE_SMOOTH = 4 };

// Null when the file cannot be opened or is not a font.
TImageFontPtr LoadFontFile(const std::string& path, int size, int style);
// Has the font read and its glyphs rasterised on the preload thread (see Preload.h), for the next
// LoadFontFile of the same file, size and style to take.
void PreloadFont(const std::string& path, int size, int style);
// Characters the font has no glyph for are drawn, glyph by glyph, from the face in this file, with
// capitals as tall as the font's and on its baseline. Faces added earlier are asked first. False when
// the file is not a font; the font is then unchanged.
bool AddFallbackFace(const TImageFontPtr& font, const std::string& path);

// Text is UTF-8; each character is looked up in the current font, those without a glyph are skipped.
void DrawTextAt(const std::string& text, float x, float y);
int MeasureTextWidth(const std::string& text);
// The current font's height in unscaled pixels, whatever the text (an empty one too): a line of text is
// as tall as its font, not as its letters. The text is taken only so that measuring reads the same for
// both sides of a box.
int MeasureTextHeight(const std::string& text);
// One glyph of the current font, for text laid out glyph by glyph: its advance in unscaled whole
// pixels, or -1 when the font has no glyph for the character.
int GlyphAdvance(char32_t c);
// Draws one glyph as DrawTextAt would with the pen at (x, y); nothing when the font has no glyph for it.
void DrawGlyphAt(char32_t c, float x, float y);
// Glyphs rasterised so far by every font, for benchmarks and tests.
uint64_t GlyphsRasterisedCount();
// Face metrics of a font, for tests and layout checks.
int FontHeight(const TImageFontPtr& font);
int FontAscender(const TImageFontPtr& font);
