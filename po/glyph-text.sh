#!/bin/sh
# glyph-text.sh OUT PO... - every translated text of the catalogs, one after another, in OUT: the
# characters the fallback font must keep.
set -e
out=$1
shift
{
  # The game sizes the fallback font by its capital H, so that one is always kept.
  printf 'H'
  for po in "$@"; do
    # msgexec's built-in command 0 writes each translation followed by a NUL.
    msgexec -i "$po" 0
  done
} | tr -d '\000' > "$out.tmp"
mv "$out.tmp" "$out"
