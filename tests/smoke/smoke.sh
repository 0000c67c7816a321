#!/usr/bin/env bash
# Smoke test: the real game binary in a virtual X server. Finds the window by its title, checks the
# background colour on a screenshot, shows and hides the debug panel and expects the window as it was,
# quits with Ctrl+X and expects exit code 0.
# Usage: smoke.sh path/to/calcadia
set -u

if [[ "${1:-}" != "--inner" ]]; then
    binary=$(readlink -f "${1:?usage: smoke.sh path/to/calcadia}")
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --inner "$binary"
fi
binary=$2
title="Calcadia V0.51"
work=$(mktemp -d)
trap 'rm -rf "$work"; [[ -n "${pid:-}" ]] && kill "$pid" 2>/dev/null' EXIT

fail() { echo "smoke: $*" >&2; exit 1; }
# shellcheck source=../support/xgame.sh
source "$(dirname "$(readlink -f "$0")")/../support/xgame.sh"

# A real X display this time, and no sound device needed.
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

# Started from elsewhere, the game must find Data/ beside itself.
cd "$work" || fail "no temporary folder"
"$binary" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!

window=$(xgame_wait_for_window "$title" "started from a temporary folder" "$work/err.txt") || exit 1

# Let a few frames be drawn, then look at a corner of the window, away from any text.
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root "$work/shot.png" || fail "screenshot failed"
pixel=$(convert "$work/shot.png" -format "%[fx:int(255*p{$((X + 5)),$((Y + 5))}.r)],%[fx:int(255*p{$((X + 5)),$((Y + 5))}.g)],%[fx:int(255*p{$((X + 5)),$((Y + 5))}.b)]" info:)
[[ "$pixel" == "50,0,50" ]] || fail "background pixel is ($pixel), expected (50,0,50)"
[[ "$WIDTH" == 1024 && "$HEIGHT" == 768 ]] || fail "window is ${WIDTH}x${HEIGHT}, expected 1024x768"
# The panel comes and goes over the still title in frames that change a part of the picture, which an
# X server may be sent in part: once it is gone, every pixel of the window must be the title's again,
# none left over from the panel or from where the part was thought to be.
toggle_panel() {
    xdotool keydown ctrl
    sleep 0.1
    xdotool key d
    sleep 0.1
    xdotool keyup ctrl
    sleep 0.5
}
window_shot() {
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$1.png" || fail "screenshot failed"
}
xdotool windowfocus --sync "$window" 2>/dev/null || true
window_shot title
toggle_panel
window_shot panel
toggle_panel
window_shot again
cmp -s "$work/title.png" "$work/panel.png" && fail "Ctrl+D showed no debug panel"
changed=$(compare -metric AE "$work/title.png" "$work/again.png" null: 2>&1)
[[ "$changed" == 0 ]] || fail "$changed pixels differ from the title once the debug panel is hidden again"

xgame_quit_with_ctrl_x "$window" "started from a temporary folder"
code=$xgame_code
[[ $code == 0 ]] || fail "exit code $code, expected 0"
echo "smoke: window '$title', background (50,0,50), the debug panel shown and hidden, Ctrl+X, exit code 0"
