#!/usr/bin/env bash
# Install test: installs the built game into a temporary prefix and checks what a desktop needs of it
# (layout, menu entry, metainfo, icons), the one-line refusal when there is no display at all, the
# message and error exit when the display does not answer, and
# then runs the installed copy the ways people start it: from a terminal standing in another folder
# (one that even has a Data/ folder of its own) and through a symbolic link. Each run must reach the
# title screen in a virtual X server, show the icon, and quit on Ctrl+X with exit code 0.
# Usage: install_test.sh path/to/build
set -u

if [[ "${1:-}" != "--inner" ]]; then
    build=$(readlink -f "${1:?usage: install_test.sh path/to/build}")
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --inner "$build"
fi
build=$2
title="Calcadia V0.51"
app_id="org.calcadia.Calcadia"
work=$(mktemp -d)
pid=""
trap 'rm -rf "$work"; [[ -n "$pid" ]] && kill "$pid" 2>/dev/null' EXIT

fail() { echo "install: $*" >&2; exit 1; }
# shellcheck source=../support/xgame.sh
source "$(dirname "$(readlink -f "$0")")/../support/xgame.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || fail "cmake --install failed: $(cat "$work/install.log")"
game=$prefix/bin/calcadia

# --- Layout: the game, its data under share/, the desktop's files, and nothing of the tests or tools.
[[ -x "$game" ]] || fail "no executable bin/calcadia"
for f in Fonts/beware.ttf Fonts/LICENSE.txt Fonts/fallback.ttf Fonts/fallback-LICENSE.txt Images/explosion.png Images/particlering.png Images/particlering2.png \
         Images/icon.png Sound/select.wav Sound/correct.wav Music/title.ogg Music/game.ogg; do
    [[ -s "$prefix/share/calcadia/Data/$f" ]] || fail "Data/$f is not installed under share/calcadia"
done
desktop=$prefix/share/applications/calcadia.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
[[ -f "$desktop" ]] || fail "no share/applications/calcadia.desktop"
[[ -f "$metainfo" ]] || fail "no share/metainfo/$app_id.metainfo.xml"
stray=$(cd "$prefix" && find . -type f | grep -v -e '^\./bin/calcadia$' -e '^\./share/calcadia/Data/' \
        -e '^\./share/applications/calcadia\.desktop$' -e "^\./share/metainfo/$app_id\.metainfo\.xml\$" \
        -e '^\./share/icons/hicolor/[0-9]*x[0-9]*/apps/calcadia\.png$' -e '^\./share/man/man6/calcadia\.6\.gz$' \
        -e '^\./share/locale/[A-Za-z_]*/LC_MESSAGES/calcadia\.mo$')
[[ -z "$stray" ]] || fail "files installed that the game does not need: $stray"

# The menu entry must name what was installed, or the menu shows a blank icon or starts nothing.
# The entry and each of its actions (more time, calm, spoken) run the same program.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop" | sort -u)
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[[ -x "$prefix/bin/$exec_name" ]] || fail "the menu entry runs '$exec_name', which is not in bin/"
grep -q '^Categories=.*Game;' "$desktop" || fail "the menu entry is not in the Games category"
for size in 48 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon_name.png
    [[ -f "$png" ]] || fail "the menu entry's icon '$icon_name' has no ${size}x${size} picture in hicolor"
    [[ "$(identify -format '%wx%h' "$png")" == "${size}x${size}" ]] || fail "$png is not ${size}x${size}"
    # A rounded tile: clear corners, the game's dark purple just inside the top edge.
    corner=$(convert "$png" -format '%[fx:int(255*p{0,0}.a)]' info:)
    tile=$(convert "$png" -format "%[fx:int(255*p{$((size / 2)),$((size / 12))}.r+0.5)],%[fx:int(255*p{$((size / 2)),$((size / 12))}.g+0.5)],%[fx:int(255*p{$((size / 2)),$((size / 12))}.b+0.5)]" info:)
    [[ "$corner" == 0 && "$tile" == "50,0,50" ]] || fail "${size}px icon: corner alpha $corner, tile ($tile), expected 0 and (50,0,50)"
done
grep -q "<launchable type=\"desktop-id\">calcadia.desktop</launchable>" "$metainfo" \
    || fail "the metainfo does not launch calcadia.desktop"

# The menu and the software centre speak the catalogs' languages: a French teacher searching "calcul"
# finds the game.
grep -q '^Keywords\[fr\]=.*calcul' "$desktop" && grep -q '^Comment\[ru\]=' "$desktop" \
    || fail "the menu entry lacks its translations: $(grep '\[fr\]' "$desktop")"
grep -q '<summary xml:lang="fr">' "$metainfo" && grep -q '<p xml:lang="uk">' "$metainfo" \
    || fail "the metainfo lacks its translated summary and description"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the menu entry"
else
    echo "install: desktop-file-validate not installed; the menu entry is not validated"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >"$work/as.log" 2>&1 || fail "appstreamcli rejects the metainfo: $(cat "$work/as.log")"
    appstreamcli validate-tree --no-net "$prefix" >"$work/as.log" 2>&1 || fail "appstreamcli rejects the installed tree: $(cat "$work/as.log")"
else
    echo "install: appstreamcli not installed; the metainfo is not validated"
fi

# --- The command line answers without any display; a bad option is its reason and where the help is,
#     two lines on standard error, and 2; help or a version that cannot be written out is a failure.
manual=$prefix/share/man/man6/calcadia.6.gz
[[ -f "$manual" ]] || fail "no manual page share/man/man6/calcadia.6.gz"
if command -v man >/dev/null; then
    MANWIDTH=80 man -l "$manual" 2>"$work/man.err" | grep -q -- "--seed N" || fail "the manual page does not render: $(cat "$work/man.err")"
fi
[[ "$(env -u DISPLAY "$game" --version)" == "Calcadia 0.51" ]] || fail "--version does not say Calcadia 0.51"
# The installed game finds its catalogs where every program's are, from wherever it is started.
[[ -s "$prefix/share/locale/fr/LC_MESSAGES/calcadia.mo" ]] || fail "no share/locale/fr/LC_MESSAGES/calcadia.mo"
said=$(cd / && env -u DISPLAY LANG=fr_FR.UTF-8 "$game" --help | head -1)
[[ "$said" == $'Utilisation\u202f: calcadia [OPTION]...' ]] || fail "LANG=fr_FR.UTF-8: the installed game's help begins '$said'"
said=$(cd / && env -u DISPLAY LANG=fr_FR.UTF-8 "$game" --lang=de --help | head -1)
[[ "$said" == "Aufruf: calcadia [OPTION]..." ]] || fail "--lang=de: the installed game's help begins '$said'"
env -u DISPLAY "$game" --help | grep -q "XDG_DATA_HOME/calcadia/best-scores" || fail "--help does not say where the scores live"
env -u DISPLAY "$game" --seed 1x >"$work/out.txt" 2>"$work/err.txt"
code=$?
[[ $code == 2 && ! -s "$work/out.txt" && "$(cat "$work/err.txt")" == "calcadia: bad seed '1x': a whole number from 0 to 2147483647
Try 'calcadia --help' for more information." ]] \
    || fail "a bad --seed: exit code $code, expected 2 and two lines on standard error: $(cat "$work/err.txt")"
for option in --version --help; do
    env -u DISPLAY "$game" $option >/dev/full 2>"$work/err.txt"
    code=$?
    [[ $code == 1 ]] && grep -q "^calcadia: write error: No space left on device$" "$work/err.txt" \
        || fail "$option into a full disk: exit code $code, expected 1 and a message: $(cat "$work/err.txt")"
    env -u DISPLAY "$game" $option >&- 2>"$work/err.txt"
    code=$?
    [[ $code == 1 ]] && grep -q "^calcadia: write error: Bad file descriptor$" "$work/err.txt" \
        || fail "$option into a closed output: exit code $code, expected 1 and a message: $(cat "$work/err.txt")"
    # A reader that is gone before a byte is written (a pager quit at once): nothing to say about it.
    env -u DISPLAY "$game" $option 2>"$work/err.txt" | (exec 0<&-; sleep 1)
    [[ ! -s "$work/err.txt" ]] || fail "$option into a pipe nobody reads: $(cat "$work/err.txt")"
done

# --- No display at all: one line on standard error, exit code 1, at once. Naming only x11 changes nothing.
mkdir -p "$work/elsewhere/Data" "$work/links" "$work/other"
cd "$work/elsewhere" || fail "no temporary folder"
for driver in "" x11; do
    env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER="$driver" SDL_AUDIODRIVER=dummy \
        timeout 20 "$game" >"$work/out.txt" 2>"$work/err.txt"
    code=$?
    [[ $code == 1 ]] || fail "no display (SDL_VIDEODRIVER='$driver'): exit code $code, expected 1"
    [[ ! -s "$work/out.txt" ]] || fail "no display: unexpected standard output: $(cat "$work/out.txt")"
    [[ $(wc -l <"$work/err.txt") == 1 ]] && grep -q "graphical display" "$work/err.txt" \
        || fail "no display: expected one line about the graphical display, got: $(cat "$work/err.txt")"
done
# A display that does not answer (here, no server at all): the game says so and ends, rather than
# running on through a driver that opens no window.
for n in $(seq 2000 2100); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break
done
env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=":$n" SDL_AUDIODRIVER=dummy \
    timeout 20 "$game" >"$work/out.txt" 2>"$work/err.txt"
code=$?
[[ $code != 0 && $code != 124 ]] || fail "unreachable display :$n: exit code $code, expected the game to end with an error"
grep -q "could not open its window: the display cannot be reached" "$work/err.txt" \
    || fail "unreachable display :$n: expected a message saying so, got: $(cat "$work/err.txt")"
# Asked for the offscreen driver, the game runs as usual: still running when the timeout ends it.
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
    timeout 5 "$game" >"$work/out.txt" 2>"$work/err.txt"
code=$?
[[ $code == 124 ]] || fail "offscreen: the game ended by itself with code $code: $(cat "$work/err.txt")"

# --- In a virtual X server, started from another folder and through a link.
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

# Counts the pixels of one exact colour (hex, as ImageMagick names it) in a region of a picture.
count_colour() {
    convert "$1" -crop "$2" +repage -format %c histogram:info:- | grep -i "#$3 " | awk -F: '{s += $1} END {print s + 0}'
}

# Starts the game with the given command, waits for the title screen, checks the window's icon and
# class, and quits with Ctrl+X.
run_installed() {
    local how=$1
    "$2" >"$work/out.txt" 2>"$work/err.txt" &
    pid=$!
    local window
    window=$(xgame_wait_for_window "$title" "$how" "$work/err.txt") || exit 1

    # The title screen: its heading, menu and hint in their colours, where the screen puts them.
    local on_title=0 menu=0 hint=0 heading=0
    for _ in $(seq 1 20); do
        kill -0 "$pid" 2>/dev/null || fail "$how: the game ended on its own: $(cat "$work/err.txt")"
        eval "$(xdotool getwindowgeometry --shell "$window")"
        import -window root "$work/shot.png" 2>/dev/null || fail "$how: screenshot failed"
        convert "$work/shot.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/window.png"
        heading=$(count_colour "$work/window.png" 600x180+200+20 6496FF)
        menu=$(count_colour "$work/window.png" 450x220+340+255 96FFFF)
        hint=$(count_colour "$work/window.png" 450x60+290+665 FFFF00)
        if ((heading > 5000 && menu > 2000 && hint > 500)); then
            on_title=1
            break
        fi
        sleep 0.5
    done
    ((on_title)) || fail "$how: no title screen (heading $heading, menu $menu, hint $hint pixels)"

    local icon
    icon=$(xprop -id "$window" -notype 32c _NET_WM_ICON | sed -n 's/^_NET_WM_ICON = \([0-9]*\), \([0-9]*\),.*/\1x\2/p')
    [[ "$icon" == 256x256 ]] || fail "$how: the window's icon is '${icon:-missing}', expected 256x256"
    # The class is what ties the window to its menu entry and icon in docks and task bars.
    xprop -id "$window" WM_CLASS | grep -q '"calcadia"' || fail "$how: window class $(xprop -id "$window" WM_CLASS)"

    xgame_quit_with_ctrl_x "$window" "$how"
    local code=$xgame_code
    [[ $code == 0 ]] || fail "$how: exit code $code after Ctrl+X, expected 0: $(cat "$work/err.txt")"
    echo "install: $how: title screen, icon 256x256, Ctrl+X, exit code 0"
}

# A terminal in a folder that has an unrelated, empty Data/: the game must still use its own.
cd "$work/elsewhere" || fail "no temporary folder"
run_installed "from another folder" "$game"

ln -s "$game" "$work/links/play-arithmetic"
cd "$work/other" || fail "no temporary folder"
run_installed "through a symbolic link" "$work/links/play-arithmetic"
