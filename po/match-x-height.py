#!/usr/bin/python3
# match-x-height.py FONT FALLBACK PRIMARY - narrows and lowers the small letters of the cut FONT (made
# from FALLBACK) so that they stand as high beside the PRIMARY font's as its capitals do.
#
# The game sizes the fallback by the capital H, so borrowed capitals are as tall as the game's own. But
# faces differ in how high their small letters reach: DejaVu Sans's x-height is 0.75 of its capitals',
# League Spartan's (like every geometric face's) 0.62, so a Cyrillic "о" would stand a fifth taller
# than the Latin "o" beside it and a word of them read as small capitals. Each small letter is scaled
# down to the primary's proportion, and a little less across, by the ratio of the two faces' stems, so
# that its strokes keep the primary's weight rather than turning thin.
import sys
import unicodedata

from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont


def bounds(font, char):
    glyphs = font.getGlyphSet()
    pen = BoundsPen(glyphs)
    glyphs[font.getBestCmap()[ord(char)]].draw(pen)
    return pen.bounds


def proportions(font):
    """The x-height and the stem of the l, each as a share of the capital height."""
    cap = bounds(font, "H")[3]
    x_min, _, x_max, _ = bounds(font, "l")
    return bounds(font, "x")[3] / cap, (x_max - x_min) / cap


def main(out_path, fallback_path, primary_path):
    font = TTFont(out_path)
    x_primary, stem_primary = proportions(TTFont(primary_path))
    x_fallback, stem_fallback = proportions(TTFont(fallback_path))
    down = x_primary / x_fallback
    across = min(1.0, max(down, stem_primary / stem_fallback))
    if down >= 1.0:
        return
    glyphs = font.getGlyphSet()
    small = sorted({name for code, name in font.getBestCmap().items()
                    if unicodedata.category(chr(code)) == "Ll"})
    # Every outline is read before any is replaced: a composite (й is и and a breve) is drawn whole,
    # so its accent moves down with the letter rather than floating at the old height.
    drawn = {}
    for name in small:
        pen = DecomposingRecordingPen(glyphs)
        glyphs[name].draw(pen)
        drawn[name] = pen
    glyf, hmtx = font["glyf"], font["hmtx"]
    for name in small:
        pen = TTGlyphPen(None)
        drawn[name].replay(TransformPen(pen, (across, 0, 0, down, 0, 0)))
        glyph = pen.glyph()
        glyph.recalcBounds(glyf)
        glyf[name] = glyph
        width, _ = hmtx[name]
        hmtx[name] = (round(width * across), getattr(glyph, "xMin", 0))
    font.save(out_path)
    print(f"small letters of {len(small)} glyphs scaled to {down:.3f} high and {across:.3f} across")


if __name__ == "__main__":
    main(*sys.argv[1:4])
