#!/usr/bin/env bash
# Damaged Data/: every one of the game's fifteen files missing, empty, cut at half its size, and
# replaced by random bytes of the same size. Each case runs twice, headless, with no DISPLAY:
#  - the real game binary, copied beside the damaged Data/ (where it looks first), for three seconds of
#    start-up and title screen, after which timeout ends it (exit 124: it was still running);
#  - autoplay, the game's start-up and frame loop with a scripted player over every screen.
# A broken image must end both at start-up with "Error loading image <path>" on standard error and exit
# code 255 (-1); anything else must play on (a null sound prints its line on standard output, a broken
# font gives the built-in one), autoplay to its end with exit code 0. Never a signal, never a hang.
#   corrupt_data.sh <calcadia> <autoplay> <Data folder> [matrix.md]
set -uo pipefail
game=$1 autoplay=$2 data=$3 matrix=${4:-}
files=(Fonts/beware.ttf
       Images/explosion.png Images/particlering.png Images/particlering2.png
       Music/title.ogg Music/game.ogg Music/levelcomplete.ogg Music/gameover.ogg
       Sound/select.wav Sound/correct.wav Sound/explosion.wav Sound/typing.wav
       Sound/accelerate.wav Sound/success.wav Sound/timeup.wav)
variants=(missing empty half random)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen
unset DISPLAY WAYLAND_DISPLAY
failures=0
rows=()

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
    esac
}

fail() {
    echo "FAIL $1" >&2
    failures=$((failures + 1))
}

for file in "${files[@]}"; do
    for variant in "${variants[@]}"; do
        case=$work/case
        rm -rf "$case"
        mkdir -p "$case"
        damage "$case" "$file" "$variant"
        cp "$game" "$case/calcadia"

        # The real binary: start-up and three seconds of the title screen; still running then (timeout's
        # 124) is the good end. Meanwhile the scripted run over every screen.
        # A broken image must end the program by itself, however slowly an instrumented build starts.
        case $file in Images/*) limit=60 ;; *) limit=3 ;; esac
        timeout -k 5 $limit "$case/calcadia" > "$case/real.out" 2> "$case/real.err" &
        pid=$!
        timeout -k 10 120 "$autoplay" "$case" > "$case/auto.out" 2> "$case/auto.err"
        auto=$?
        wait $pid
        real=$?

        name="$file $variant"
        nulls=$(grep -c '^PlayGameSound tried to play a null sound$' "$case/auto.out")
        screens=$(grep '^screen ' "$case/auto.out" | cut -c8- | paste -sd '>' -)
        every="Title>Game>Level Complete>Game>Game Over>Title"
        case $file in
            Images/*)
                message="Error loading image Data/Images/${file#Images/}"
                [ "$real" = 255 ] && grep -qF "$message" "$case/real.err" || fail "$name: real binary gave $real"
                [ "$auto" = 255 ] && grep -qF "$message" "$case/auto.err" || fail "$name: autoplay gave $auto"
                [ -s "$case/auto.out" ] && fail "$name: start-up went on after the fatal error"
                outcome="fatal at start-up: exit 255, \`$message\` on stderr"
                ;;
            *)
                [ "$real" = 124 ] || fail "$name: real binary gave $real: $(head -c 300 "$case/real.err")"
                [ "$auto" = 0 ] || fail "$name: autoplay gave $auto: $(head -c 300 "$case/auto.err")"
                [ "$screens" = "$every" ] || fail "$name: screens $screens"
                font=$(grep '^font ' "$case/auto.out")
                case $file in
                    Fonts/*)
                        [ "$variant" = half ] || [ "$font" = "font built-in" ] || fail "$name: $font"
                        [ "$nulls" = 0 ] || fail "$name: $nulls null sounds"
                        outcome="plays every screen with the ${font#font } font"
                        ;;
                    Sound/typing.wav)
                        # The answer field plays its typing sound only when it has one: no message.
                        [ "$font" = "font loaded" ] || fail "$name: $font"
                        [ "$nulls" = 0 ] || fail "$name: $nulls null sounds"
                        if [ "$variant" = half ]; then
                            outcome="plays every screen; the effect plays what could be decoded"
                        else
                            outcome="plays every screen; typing silent, no message (the field skips a null sound)"
                        fi
                        ;;
                    Sound/*)
                        [ "$font" = "font loaded" ] || fail "$name: $font"
                        if [ "$variant" != half ] && [ "$nulls" = 0 ]; then
                            fail "$name: the broken effect was never reported"
                        fi
                        if [ "$nulls" = 0 ]; then
                            outcome="plays every screen; the effect plays what could be decoded"
                        else
                            outcome="plays every screen; effect silent, null-sound line x$nulls"
                        fi
                        ;;
                    Music/*)
                        [ "$nulls" = 0 ] || fail "$name: $nulls null sounds"
                        silent=$(grep '^music silent on ' "$case/auto.out" | cut -c17- | paste -sd ',' -)
                        if [ -z "$silent" ]; then
                            [ "$variant" = half ] || fail "$name: the broken music still played"
                            outcome="plays every screen; the music plays what could be decoded"
                        else
                            outcome="plays every screen; music silent on $silent, no message"
                        fi
                        ;;
                esac
                ;;
        esac
        rows+=("| $file | $variant | $real | $auto | $outcome |")
    done
done

{
    echo "| File | Variant | Real binary (124 = still running after 3 s) | Scripted run exit | Outcome |"
    echo "|---|---|---|---|---|"
    printf '%s\n' "${rows[@]}"
} > "$work/matrix.md"
cat "$work/matrix.md"
[ -n "$matrix" ] && cp "$work/matrix.md" "$matrix"
echo "$failures failure(s)"
[ "$failures" = 0 ]
