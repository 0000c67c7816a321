#!/usr/bin/env bash
# Damaged Data/: every one of the game's sixteen files missing, empty, cut at half its size, replaced by
# random bytes of the same size, and, as a wrong symbolic link or a damaged download leaves it, replaced
# by a named pipe, a folder, the endless devices /dev/zero and /dev/urandom, a sparse file of 2 GB and a
# valid picture of 5000 x 5000 pixels. Each cell runs headless, with no DISPLAY:
#  - autoplay, the game's start-up and frame loop with a scripted player over every screen, under
#    /usr/bin/time for its wall time and peak memory (every cell);
#  - the real game binary, copied beside the damaged Data/ (where it looks first), for three seconds of
#    start-up and title screen, after which timeout ends it (exit 124: it was still running); for the
#    first four variants and the named pipe, the one that used to hang before the window showed.
# A broken image must end both at start-up with "Error loading image <path>" and, below it, the folder
# searched and the cause, on standard error, exit code 255 (-1); anything else must play on (a null
# sound prints its line on standard output, a broken font gives the built-in one, a broken icon leaves
# the window without one), autoplay to its end with exit code 0. Never a signal, never a hang, never
# more than 512 MB of memory (not checked under AddressSanitizer). Cells run two at a time.
#   corrupt_data.sh <calcadia> <autoplay> <Data folder> [matrix.md]
set -uo pipefail
game=$1 autoplay=$2 data=$3 matrix=${4:-}
files=(Fonts/beware.ttf
       Images/explosion.png Images/particlering.png Images/particlering2.png Images/icon.png
       Music/title.ogg Music/game.ogg Music/levelcomplete.ogg Music/gameover.ogg
       Sound/select.wav Sound/correct.wav Sound/explosion.wav Sound/typing.wav
       Sound/accelerate.wav Sound/success.wav Sound/timeup.wav)
variants=(missing empty half random pipe folder zero urandom sparse picture)
jobs=2
memory_bound_kb=$((512 * 1024))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$work/cells"
perl "$(dirname "$0")/big_png.pl" 5000 5000 > "$work/big.png"

# Writes the variant of one file into a fresh copy of Data/ under $1.
damage() {
    local root=$1 file=$2 variant=$3 target size
    cp -r "$data" "$root/Data"
    target=$root/Data/$file
    size=$(stat -c %s "$target")
    case $variant in
        missing) rm "$target" ;;
        empty) : > "$target" ;;
        half) truncate -s $((size / 2)) "$target" ;;
        # Seeded, so a failing case comes back the same on the next run.
        random) perl -e 'srand($ARGV[1]); print pack("C*", map { int rand 256 } 1 .. $ARGV[0])' \
                    "$size" "$(cksum <<< "$file" | cut -d' ' -f1)" > "$target" ;;
        pipe) rm "$target"; mkfifo "$target" ;;
        folder) rm "$target"; mkdir "$target" ;;
        zero) ln -sf /dev/zero "$target" ;;
        urandom) ln -sf /dev/urandom "$target" ;;
        sparse) rm "$target"; truncate -s 2G "$target" ;;
        picture) cp "$work/big.png" "$target" ;;
    esac
}

# What the second line of a fatal image error must name as the cause.
image_cause() {
    case $1 in
        missing) echo "missing" ;;
        pipe|folder|zero|urandom) echo "not a regular file" ;;
        sparse|picture) echo "too large" ;;
        *) echo "not a picture" ;;
    esac
}

# One cell: writes its table row to cells/<n>.row and each failure as a line of cells/<n>.fail.
run_cell() {
    local n=$1 file=$2 variant=$3 case=$work/case$1 real=- auto pid seconds peak
    local out=$work/cells/$n
    fail() { echo "FAIL $file $variant: $1" >> "$out.fail"; }
    mkdir -p "$case"
    damage "$case" "$file" "$variant"
    cp "$game" "$case/calcadia"

    # A broken image must end the program by itself, however slowly an instrumented build starts.
    case $file in Images/icon.png) limit=3 ;; Images/*) limit=60 ;; *) limit=3 ;; esac
    case $variant in missing|empty|half|random|pipe)
        # SIGTERM at the limit is a close request, seen at the next frame; on a loaded machine that can
        # take seconds, and only a game that never ends should meet the KILL (exit 137).
        (cd "$case" && exec timeout -k 30 $limit ./calcadia > real.out 2> real.err) &
        pid=$!
    esac
    /usr/bin/time -f '%e %M' -o "$case/auto.time" \
        timeout -k 10 120 "$autoplay" "$case" > "$case/auto.out" 2> "$case/auto.err"
    auto=$?
    if [ -n "${pid:-}" ]; then
        wait "$pid"
        real=$?
    fi
    read -r seconds peak < <(tail -n 1 "$case/auto.time")
    # AddressSanitizer's shadow memory and quarantine take hundreds of megabytes of their own.
    if [ -z "${ASAN_OPTIONS:-}" ] && [ "${peak:-0}" -gt $memory_bound_kb ]; then
        fail "autoplay took $((peak / 1024)) MB"
    fi

    local nulls screens every font outcome
    nulls=$(grep -c '^PlayGameSound tried to play a null sound$' "$case/auto.out")
    screens=$(grep '^screen ' "$case/auto.out" | cut -c8- | paste -sd '>' -)
    every="Title>Game>Level Complete>Game>Game Over>Title"
    font=$(grep '^font ' "$case/auto.out")
    case $file in
        Images/icon.png)
            [ "$real" = - ] || [ "$real" = 124 ] || fail "real binary gave $real: $(head -c 300 "$case/real.err")"
            [ "$auto" = 0 ] || fail "autoplay gave $auto: $(head -c 300 "$case/auto.err")"
            [ "$screens" = "$every" ] || fail "screens $screens"
            [ "$nulls" = 0 ] && [ "$font" = "font loaded" ] || fail "$font, $nulls null sounds"
            outcome="plays every screen; the window has no icon"
            ;;
        Images/*)
            local message cause
            message="Error loading image Data/Images/${file#Images/}"
            cause="/Data/Images/: $(image_cause "$variant")"
            if [ "$real" != - ]; then
                [ "$real" = 255 ] && grep -qF "$message" "$case/real.err" || fail "real binary gave $real"
            fi
            [ "$auto" = 255 ] && grep -qF "$message" "$case/auto.err" || fail "autoplay gave $auto"
            grep -A1 -F "$message" "$case/auto.err" | tail -n 1 | grep -q "^Searched in /.*${cause}\$" ||
                fail "second line: $(grep -A1 -F "$message" "$case/auto.err" | tail -n 1)"
            [ -s "$case/auto.out" ] && fail "start-up went on after the fatal error"
            outcome="fatal at start-up: exit 255, \`$message\`, \`Searched in …${cause}\`"
            ;;
        *)
            [ "$real" = - ] || [ "$real" = 124 ] || fail "real binary gave $real: $(head -c 300 "$case/real.err")"
            [ "$auto" = 0 ] || fail "autoplay gave $auto: $(head -c 300 "$case/auto.err")"
            [ "$screens" = "$every" ] || fail "screens $screens"
            case $file in
                Fonts/*)
                    [ "$variant" = half ] || [ "$font" = "font built-in" ] || fail "$font"
                    [ "$nulls" = 0 ] || fail "$nulls null sounds"
                    outcome="plays every screen with the ${font#font } font"
                    ;;
                Sound/typing.wav)
                    # The answer field plays its typing sound only when it has one: no message.
                    [ "$font" = "font loaded" ] || fail "$font"
                    [ "$nulls" = 0 ] || fail "$nulls null sounds"
                    if [ "$variant" = half ]; then
                        outcome="plays every screen; the effect plays what could be decoded"
                    else
                        outcome="plays every screen; typing silent, no message (the field skips a null sound)"
                    fi
                    ;;
                Sound/*)
                    [ "$font" = "font loaded" ] || fail "$font"
                    if [ "$variant" != half ] && [ "$nulls" = 0 ]; then
                        fail "the broken effect was never reported"
                    fi
                    if [ "$nulls" = 0 ]; then
                        outcome="plays every screen; the effect plays what could be decoded"
                    else
                        outcome="plays every screen; effect silent, null-sound line x$nulls"
                    fi
                    ;;
                Music/*)
                    [ "$nulls" = 0 ] || fail "$nulls null sounds"
                    local silent
                    silent=$(grep '^music silent on ' "$case/auto.out" | cut -c17- | paste -sd ',' -)
                    if [ -z "$silent" ]; then
                        [ "$variant" = half ] || fail "the broken music still played"
                        outcome="plays every screen; the music plays what could be decoded"
                    else
                        outcome="plays every screen; music silent on $silent, no message"
                    fi
                    ;;
            esac
            ;;
    esac
    echo "| $file | $variant | $real | $auto | $seconds | $((peak / 1024)) | $outcome |" > "$out.row"
    rm -rf "$case"
}

n=0
for file in "${files[@]}"; do
    for variant in "${variants[@]}"; do
        n=$((n + 1))
        while [ "$(jobs -rp | wc -l)" -ge $jobs ]; do
            wait -n
        done
        run_cell "$(printf '%03d' $n)" "$file" "$variant" &
    done
done
wait

{
    echo "| File | Variant | Real binary (124 = still running after 3 s, - = not run) | Scripted run exit | Scripted run time (s) | Peak memory (MB) | Outcome |"
    echo "|---|---|---|---|---|---|---|"
    cat "$work"/cells/*.row
} > "$work/matrix.md"
cat "$work/matrix.md"
[ -n "$matrix" ] && cp "$work/matrix.md" "$matrix"
cells=$(ls "$work"/cells/*.row 2>/dev/null | wc -l)
[ "$cells" = $n ] || echo "FAIL only $cells of $n cells finished" >&2
failures=0
for found in "$work"/cells/*.fail; do
    [ -e "$found" ] || continue
    cat "$found" >&2
    failures=$((failures + 1))
done
echo "$failures failing cell(s)"
[ "$failures" = 0 ] && [ "$cells" = $n ]
