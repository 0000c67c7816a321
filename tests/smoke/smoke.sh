#!/usr/bin/env bash
# Smoke test: the real game binary in a virtual X server. Finds the window by its title, checks the
# background colour on a screenshot, quits with Ctrl+X and expects exit code 0.
# Usage: smoke.sh path/to/calcadia
set -u

if [[ "${1:-}" != "--inner" ]]; then
    binary=$(readlink -f "${1:?usage: smoke.sh path/to/calcadia}")
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inner "$binary"
fi
binary=$2
title="Calcadia V0.51"
work=$(mktemp -d)
trap 'rm -rf "$work"; [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null' EXIT

fail() { echo "smoke: $*" >&2; exit 1; }

# A real X display this time, and no sound device needed.
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

# Started from elsewhere, the game must find Data/ beside itself.
cd "$work" || fail "no temporary folder"
"$binary" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!

window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n 1)
    [[ -n "$window" ]] && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended before its window showed: $(cat "$work/err.txt")"
    sleep 0.2
done
[[ -n "$window" ]] || fail "no window titled '$title'"

# Let a few frames be drawn, then look at a corner of the window, away from any text.
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root "$work/shot.png" || fail "screenshot failed"
pixel=$(convert "$work/shot.png" -format "%[fx:int(255*p{$((X + 5)),$((Y + 5))}.r)],%[fx:int(255*p{$((X + 5)),$((Y + 5))}.g)],%[fx:int(255*p{$((X + 5)),$((Y + 5))}.b)]" info:)
[[ "$pixel" == "50,0,50" ]] || fail "background pixel is ($pixel), expected (50,0,50)"
[[ "$WIDTH" == 1024 && "$HEIGHT" == 768 ]] || fail "window is ${WIDTH}x${HEIGHT}, expected 1024x768"

xdotool windowfocus --sync "$window" 2>/dev/null || true
# Ctrl is held across a few frames, as a hand does: the game looks at it when it sees the X hit.
xdotool keydown ctrl
sleep 0.1
xdotool key x
sleep 0.2
xdotool keyup ctrl

for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "the game still runs after Ctrl+X"
wait "$pid"
code=$?
pid=""
[[ $code == 0 ]] || fail "exit code $code, expected 0"
echo "smoke: window '$title', background (50,0,50), Ctrl+X, exit code 0"
