#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for the given number of seconds
# (default 60), after replaying the inputs of fixed findings kept in fuzz/regressions/<target>/.
# Corpora grow in build-fuzz/corpus/<target>/, seeded from the generated Data/ files; a crash leaves
# its input in build-fuzz/findings/. Prints executions and time per target; exit 1 when any target failed.
#   fuzz/run.sh [seconds] [target...]        targets: image font sound textinput records catalog
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(image font sound textinput records catalog)
build=${FUZZ_BUILD_DIR:-build-fuzz}
./scripts/deps.sh clang libclang-rt-14-dev || exit 1

cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCALCADIA_FUZZ=ON \
      -DCALCADIA_TESTS=OFF -DCALCADIA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
# Seeds come from the normal build's Data/ when there is one (CI has just made it), which spares
# building and running the asset tools with the fuzzing instrumentation.
data=build/Data
needs=("${targets[@]/#/fuzz_}")
[ -d "$data/Sound" ] || { data=$build/Data; needs+=(calcadia_data); }
cmake --build "$build" -j"$(nproc)" --target "${needs[@]}" >/dev/null || {
    echo "fuzz: build failed" >&2; exit 1; }

seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds"/{image,font,sound,textinput,records,catalog} "$build/findings"
# Image inputs start with a byte that picks the extension: even for a signature, odd for ".tga".
for png in "$data"/Images/*.png; do
    name=$(basename "$png" .png)
    { printf '\0'; cat "$png"; } > "$seeds/image/$name.png"
    if command -v convert >/dev/null; then
        # Small copies in the other formats, so each decoder starts from a file it accepts.
        for format in bmp jpg tga; do
            convert "$png" -resize 24x24 "$seeds/$format.$name.$format" 2>/dev/null || continue
            { [ $format = tga ] && printf '\1' || printf '\0'; cat "$seeds/$format.$name.$format"; } \
                > "$seeds/image/$name.$format"
            rm "$seeds/$format.$name.$format"
        done
    fi
done
cp "$data"/Fonts/*.ttf "$seeds/font/"
cp "$data"/Sound/*.wav "$seeds/sound/"
# The start of each tune: a whole one takes the decoder a second, a start is decoded a hundred times
# in that second, and the damaged end of a cut stream is something to learn from too.
for ogg in "$data"/Music/*.ogg; do
    head -c 65536 "$ogg" > "$seeds/sound/$(basename "$ogg")"
done
# Settings (numbers only, 10 long; all characters with extended ones), then typing and frames (0xC0).
printf '\x01\x0a\x00\x00''1234''\xc0\xc0\xc0\xc0\x08\xc0''9''\xc0\xc2' > "$seeds/textinput/digits"
printf '\x00\x0f\x00\xf0''\x40H\x40i\xc0\xc0\x41\xe9\xc0\x1b\xc0\x0d\xc0' > "$seeds/textinput/letters"
# A best-score table as the game writes it, and a settings file with a good, an unknown and a bad line.
printf 'calcadia best scores 1\naddition 120 3 2026-12-07\nall 40 1 2026-12-06\nend b5eb23ae\n' > "$seeds/records/table"
printf '# mine\ndisplay = fullscreen\nvolume = 3\nmusic-volume = 101\neffects-volume = 40\n' > "$seeds/records/settings"
# The game's own catalogs, each language's.
for po in po/*.po; do
    msgfmt -o "$seeds/catalog/$(basename "$po" .po).mo" "$po"
done

# A request the allocator cannot meet comes back null, as glibc's malloc does in the game: SDL's BMP
# reader asks for terabytes when a header lies about where the pixels start, and fails cleanly on null.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
status=0
printf '%-10s %12s %8s %s\n' target executions seconds result
for target in "${targets[@]}"; do
    binary=$build/fuzz/fuzz_$target
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    log=$build/findings/$target.log
    regressions=(fuzz/regressions/$target/*)
    if [ -e "${regressions[0]}" ] && ! "$binary" "${regressions[@]}" > "$log.regressions" 2>&1; then
        printf '%-10s %12s %8s %s\n' "$target" - - "a fixed finding fails again (see $log.regressions)"
        status=1
        continue
    fi
    start=$(date +%s)
    # Pictures may be up to 16384 pixels a side and 2^24 pixels in all, 64 MB of pixels and its copies.
    "$binary" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=6144 -malloc_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$target-" "$corpus" "$seeds/$target" > "$log" 2>&1
    result=$?
    elapsed=$(( $(date +%s) - start ))
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
    if [ $result = 0 ]; then
        printf '%-10s %12s %8s %s\n' "$target" "${runs:-?}" "$elapsed" "no crashes"
    else
        printf '%-10s %12s %8s %s\n' "$target" "${runs:-?}" "$elapsed" "FAILED (exit $result, see $log)"
        grep -m3 'ERROR\|SUMMARY\|runtime error' "$log" | sed 's/^/    /'
        status=1
    fi
done
exit $status
