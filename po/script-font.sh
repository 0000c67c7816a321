#!/bin/sh
# script-font.sh OUT FONT INDEX PRIMARY PO - cuts face INDEX of FONT (a Noto face of a script the game's
# font lacks: Arabic, Hebrew, Devanagari, Chinese, Japanese) down to the characters the catalog PO
# uses and the PRIMARY font lacks, and writes it to OUT. Unlike the fallback's cut, this one keeps the
# layout tables and every glyph their features reach from those characters (joining forms, ligatures,
# conjuncts, vowel signs, mark positions), which shaping needs: HarfBuzz's default set of features is
# the one its shapers apply. A Chinese or Japanese face keeps only the few hundred characters the texts
# use, out of tens of thousands.
set -e
out=$1
font=$2
index=$3
primary=$4
po=$5
text=$out.text
# msgexec's built-in command 0 writes each translation followed by a NUL.
msgexec -i "$po" 0 | tr -d '\000' > "$text"
hb-subset --font-file="$font" --face-index="$index" --text-file="$text" \
  --unicodes-="$(fc-query --format='%{charset}' "$primary")" --no-hinting \
  --output-file="$out.tmp"
rm -f "$text"
# The game sizes a fallback by its capital height. Noto's script faces are drawn to stand beside Noto
# Sans at the same size, whose capitals are 0.714 of the em, but some declare another height (Arabic
# 0.5, Devanagari 0.622) that no capital of theirs has; each cut declares Noto Sans's, so every script
# comes out at the size its designers matched to the Latin letters.
/usr/bin/python3 - "$out.tmp" <<'PYTHON'
import sys
from fontTools.ttLib import TTFont
font = TTFont(sys.argv[1])
font["OS/2"].sCapHeight = round(0.714 * font["head"].unitsPerEm)
font.save(sys.argv[1])
PYTHON
mv "$out.tmp" "$out"
