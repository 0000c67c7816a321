# Shared steps of the tests that drive the real game in an X server (sourced, not run).
# Both expect a fail() of the caller's and the game's process id in $pid.

# Prints the id of the window titled $1, waiting up to 20 s; fails if the game ends first.
# $2 names the run in messages, $3 is the file holding the game's standard error.
xgame_wait_for_window() {
    local title=$1 how=$2 err=$3 window=""
    for _ in $(seq 1 100); do
        window=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n 1)
        [[ -n "$window" ]] && break
        kill -0 "$pid" 2>/dev/null || fail "$how: the game ended before its window showed: $(cat "$err")"
        sleep 0.2
    done
    [[ -n "$window" ]] || fail "$how: no window titled '$title'"
    echo "$window"
}

# Presses Ctrl+X in window $1 and waits up to 10 s for the game to end; leaves its exit code in
# $xgame_code. Not for a command substitution: only the shell that started the game can wait for it.
xgame_quit_with_ctrl_x() {
    local window=$1 how=$2
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    # Ctrl is held across a few frames, as a hand does: the game looks at it when it sees the X hit.
    xdotool keydown ctrl
    sleep 0.1
    xdotool key x
    sleep 0.2
    xdotool keyup ctrl
    xgame_wait_for_end "$how: the game still runs after Ctrl+X"
}

# Waits up to 10 s for the game to end and leaves its exit code in $xgame_code; fails with $1 if it
# does not. Like the above, not for a command substitution.
xgame_wait_for_end() {
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    kill -0 "$pid" 2>/dev/null && fail "$1"
    xgame_code=0
    wait "$pid" || xgame_code=$?
    pid=""
}
