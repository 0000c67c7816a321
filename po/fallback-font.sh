#!/bin/sh
# fallback-font.sh OUT FALLBACK PRIMARY PO... - cuts the FALLBACK font down to the characters the
# catalogs use that the game's PRIMARY font lacks (Cyrillic, say), and writes it to OUT. The game draws
# every other character from its own font, so nothing else of the fallback is ever drawn. Its small
# letters are then brought to the primary's x-height (match-x-height.py).
set -e
out=$1
fallback=$2
primary=$3
shift 3
text=$out.text
# msgexec's built-in command 0 writes each translation followed by a NUL.
for po in "$@"; do
  msgexec -i "$po" 0
done | tr -d '\000' > "$text"
# fontconfig lists a font's characters as hex ranges, the form hb-subset takes. The capital H stays:
# the game sizes the fallback's letters by it (and l and x, which the x-height match measures).
hb-subset --font-file="$fallback" --text-file="$text" --unicodes-="$(fc-query --format='%{charset}' "$primary")" \
  --unicodes+=48,6c,78 --no-hinting --output-file="$out.tmp"
rm -f "$text"
# The small letters lowered to the game's font's x-height; Debian's interpreter, which has fontTools.
/usr/bin/python3 "$(dirname "$0")/match-x-height.py" "$out.tmp" "$fallback" "$primary"
mv "$out.tmp" "$out"
