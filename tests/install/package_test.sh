#!/usr/bin/env bash
# Package test: cpack builds the Debian package from the build folder; its file list must hold the game
# (in /usr/games), its Data/ (the font a link into the font's own package), the desktop files, the
# copyright file and the changelog under /usr and nothing else; its control data must depend on the
# runtime libraries the game needs, with the OpenGL ones SDL opens by itself and the font's package;
# and lintian, Debian's package checker, must find no error and no warning in it.
# Usage: package_test.sh path/to/build
set -u
build=$(readlink -f "${1:?usage: package_test.sh path/to/build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "package: $*" >&2; exit 1; }

# Packaged in a folder of its own, so a run beside the other tests leaves the build folder as it was.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || fail "cpack failed: $(cat "$work/cpack.log")"
debs=("$work"/calcadia_*.deb)
[[ -f "${debs[0]}" && ${#debs[@]} == 1 ]] || fail "expected one calcadia_*.deb, found: $(ls "$work")"
deb=${debs[0]}

[[ "$(dpkg-deb -f "$deb" Package)" == calcadia ]] || fail "package name $(dpkg-deb -f "$deb" Package)"
[[ "$(dpkg-deb -f "$deb" Section)" == games ]] || fail "section $(dpkg-deb -f "$deb" Section), expected games"

files=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$')
for f in ./usr/games/calcadia ./usr/share/applications/calcadia.desktop \
         ./usr/share/metainfo/org.calcadia.Calcadia.metainfo.xml \
         ./usr/share/icons/hicolor/48x48/apps/calcadia.png ./usr/share/icons/hicolor/256x256/apps/calcadia.png \
         ./usr/share/calcadia/Data/Fonts/beware.ttf \
         ./usr/share/calcadia/Data/Images/explosion.png ./usr/share/calcadia/Data/Music/title.ogg \
         ./usr/share/calcadia/Data/Sound/select.wav ./usr/share/man/man6/calcadia.6.gz \
         ./usr/share/calcadia/Data/Fonts/fallback.ttf ./usr/share/locale/ru/LC_MESSAGES/calcadia.mo \
         ./usr/share/doc/calcadia/copyright ./usr/share/doc/calcadia/changelog.gz; do
    grep -qx -- "$f" <<<"$files" || fail "the package lacks $f"
done
stray=$(grep -v -e '^\./usr/games/calcadia$' -e '^\./usr/share/calcadia/Data/' -e '^\./usr/share/applications/' \
        -e '^\./usr/share/metainfo/' -e '^\./usr/share/icons/hicolor/' -e '^\./usr/share/man/man6/calcadia\.6\.gz$' \
        -e '^\./usr/share/locale/[A-Za-z_]*/LC_MESSAGES/calcadia\.mo$' \
        -e '^\./usr/share/doc/calcadia/copyright$' -e '^\./usr/share/doc/calcadia/changelog\.gz$' <<<"$files")
[[ -z "$stray" ]] || fail "the package carries files the game does not need: $stray"

# The font is a link that, once installed, reaches the font its own package installs.
link=$(dpkg-deb -c "$deb" | awk '$6 == "./usr/share/calcadia/Data/Fonts/beware.ttf" {print $8}')
font=$(realpath -m "/usr/share/calcadia/Data/Fonts/$link")
[[ -n "$link" && "$(dpkg -S "$font" 2>/dev/null)" == "fonts-league-spartan: $font" ]] \
    || fail "Data/Fonts/beware.ttf links to '$link', not to a font of fonts-league-spartan"
# The copyright file reads as Debian's machine-readable format and covers the font.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/calcadia/copyright >"$work/copyright"
head -1 "$work/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' \
    && grep -q '^Files: usr/share/calcadia/Data/Fonts/beware.ttf$' "$work/copyright" && grep -q '^License: OFL-1.1$' "$work/copyright" \
    || fail "the copyright file is not machine-readable or does not cover the font: $(head -20 "$work/copyright")"

# Every runtime library of the game, by its Debian package name.
depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
for p in libsdl2-2.0-0 libfreetype6 libpng16-16 libjpeg62-turbo libvorbisfile3 libstdc++6 libc6 libgl1 libegl1 \
         fonts-league-spartan; do
    grep -qxF -- "$p" <<<"$names" || fail "Depends lacks $p: $depends"
done
# Build-only packages must stay out of a player's machine.
grep -E -- '-dev$|gtest|googletest|benchmark|vorbisenc' <<<"$names" && fail "Depends names build-only packages: $depends"

# Debian's own checks. What lintian reports below warnings (information: the build's hardening flags,
# the .comment section strip leaves) is printed, not failed on.
if command -v lintian >/dev/null; then
    lintian --display-info --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 \
        || fail "lintian finds errors or warnings: $(grep -v '^running with root' "$work/lintian.txt")"
    grep -v '^running with root' "$work/lintian.txt" | sed 's/^/package: lintian: /'
else
    fail "lintian is not installed (scripts/deps.sh installs it)"
fi
echo "package: $(basename "$deb"), $(wc -l <<<"$files") files, Depends: $depends"
