#!/bin/sh
# Records the five replays again: one per mode, each winning levels 1-3 and losing level 4.
# Run from the build folder (where Data/ lies): ../tests/replay/scripts/record.sh ./tests/replay/replay
set -e
runner=${1:-./tests/replay/replay}
here=$(dirname "$0")
export SDL_VIDEODRIVER=offscreen
"$runner" record 1 1001 4 "$here/addition.replay" "$here/addition.expected"
"$runner" record 2 2002 4 "$here/subtraction.replay" "$here/subtraction.expected"
"$runner" record 3 3003 4 keypad "$here/multiplication.replay" "$here/multiplication.expected"
"$runner" record 4 4004 4 "$here/division.replay" "$here/division.expected"
"$runner" record 5 5005 4 keypad "$here/all.replay" "$here/all.expected"
