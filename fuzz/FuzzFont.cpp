// Font loader fuzz target: the file is loaded at the game's size and style, then every printable
// character is rasterised and measured, one by one and as a line. Widths are sums of whole-pixel
// advances, so the line must measure exactly what its glyphs add up to.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzFile.h"
#include "platform/Display.h"
#include "platform/Font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = WriteFuzzFile(data, size, ".ttf");
    const TImageFontPtr font = LoadFontFile(path, 64, FONT_STYLE_SMOOTH);
    if (!font)
        return 0;
    SetDrawFont(font);
    std::string line;
    long sum = 0;
    for (char c = 32; c < 127; ++c) {
        // GlyphAdvance says -1 both for a missing glyph and for one whose advance really is -1 (a
        // font can claim that), so the sum is taken from single-character measures instead.
        (void)GlyphAdvance(char32_t(c));
        sum += MeasureTextWidth(std::string(1, c));
        line += c;
    }
    // A few characters beyond ASCII take the other path of the glyph cache.
    for (char32_t c : {U'\u00e9', U'\u20ac', U'\uffff', U'\U0001F600'})
        (void)GlyphAdvance(c);
    const int width = MeasureTextWidth(line);
    (void)MeasureTextHeight(line);
    SetDrawFont(nullptr);
    if (width != sum)
        std::abort();
    return 0;
}
