#!/usr/bin/env bash
# The real game against its surroundings, in a virtual X server:
#  - started with standard output closed (the X connection would take descriptor 1, and the null-sound
#    line would go into the display's protocol stream), with an icon of 2048 x 2048 pixels (16 MB as a
#    window property, more than the X server takes in one request): it plays on and quits with exit 0;
#  - writing to a pipe whose reader has gone (the null-sound line would be a SIGPIPE): it plays on;
#  - its window destroyed by another X client: it ends as after a close request, exit 0, no X error;
# and headless: beside a Data/ that lacks an image, started where a good Data/ is, it plays with that
# one and says so; with no room for the GL driver's shader cache, it runs without it and says so.
# Choosing a mode plays the select sound, which the game's Data/ here lacks: the null-sound line.
#   surroundings.sh <calcadia> <destroy_window> <Data folder>
set -u

if [[ "${1:-}" != "--inner" ]]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --inner "$@"
fi
shift
binary=$(readlink -f "$1") destroy=$(readlink -f "$2") data=$(readlink -f "$3")
here=$(dirname "$(readlink -f "$0")")
title="Calcadia V0.51"
work=$(mktemp -d)
pid=""
trap 'rm -rf "$work"; [[ -n "$pid" ]] && kill "$pid" 2>/dev/null' EXIT

fail() { echo "surroundings: $*" >&2; exit 1; }
# shellcheck source=../support/xgame.sh
source "$here/../support/xgame.sh"
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

game=$work/game
mkdir -p "$game"
cp -r "$data" "$game/Data"
cp "$binary" "$game/calcadia"
rm "$game/Data/Sound/select.wav"
perl "$here/big_png.pl" 2048 2048 > "$game/Data/Images/icon.png"

# Chooses Addition in window $1, waits a second and checks that the game still runs.
choose_mode_and_play_on() {
    local window=$1 how=$2
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key 1
    sleep 1
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "$how: the game ended with $? after choosing a mode: $(cat "$work/err")"; }
}

# 1. Standard output closed, a large icon.
"$game/calcadia" >&- 2> "$work/err" &
pid=$!
window=$(xgame_wait_for_window "$title" "stdout closed" "$work/err") || exit 1
choose_mode_and_play_on "$window" "stdout closed"
xgame_quit_with_ctrl_x "$window" "stdout closed"
[[ $xgame_code == 0 ]] || fail "stdout closed: exit code $xgame_code: $(cat "$work/err")"

# 2. Standard output a pipe whose reader has gone before the game writes its line.
mkfifo "$work/pipe"
"$game/calcadia" > "$work/pipe" 2> "$work/err" &
pid=$!
exec 3< "$work/pipe"
exec 3<&-
window=$(xgame_wait_for_window "$title" "closed pipe" "$work/err") || exit 1
choose_mode_and_play_on "$window" "closed pipe"
xgame_quit_with_ctrl_x "$window" "closed pipe"
[[ $xgame_code == 0 ]] || fail "closed pipe: exit code $xgame_code: $(cat "$work/err")"

# 3. The window destroyed by another client.
"$game/calcadia" > /dev/null 2> "$work/err" &
pid=$!
window=$(xgame_wait_for_window "$title" "destroyed window" "$work/err") || exit 1
sleep 0.5
"$destroy" "$window" || fail "destroy_window failed"
xgame_wait_for_end "destroyed window: the game still runs 10 s after its window was destroyed"
[[ $xgame_code == 0 ]] || fail "destroyed window: exit code $xgame_code, expected 0: $(cat "$work/err")"
[[ -s "$work/err" ]] && fail "destroyed window: the game printed: $(cat "$work/err")"

# 4. Headless: the Data/ beside the game lacks an image, the working directory's is good; and the
#    shader cache's disk (here /proc, which never has room) is full.
rm "$game/Data/Images/explosion.png"
mkdir -p "$work/good"
cp -r "$data" "$work/good/Data"
(cd "$work/good" && SDL_VIDEODRIVER=offscreen MESA_SHADER_CACHE_DIR=/proc/calcadia-cache \
    exec timeout 3 "$game/calcadia" > /dev/null 2> "$work/err")
code=$?
[[ $code == 124 ]] || fail "working directory's Data/: exit code $code, expected 124 (still running): $(cat "$work/err")"
grep -qxF "calcadia: using $work/good/Data/ because $game/Data/ is unusable (Images/explosion.png is missing)" \
    "$work/err" || fail "working directory's Data/: no line saying which is used: $(cat "$work/err")"
grep -qxF "calcadia: no room for the graphics driver's shader cache in /proc; running without it" "$work/err" ||
    fail "full shader cache disk: no note: $(cat "$work/err")"

echo "surroundings: stdout closed with a 2048-pixel icon, a closed pipe, a destroyed window, another Data/, a full cache disk: all as expected"
