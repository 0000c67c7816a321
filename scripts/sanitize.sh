#!/usr/bin/env bash
# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer, in its own build folder
# (build-asan), at -O1 so the instrumented tests stay quick; the benchmarks are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
BUILD_DIR=${ASAN_BUILD_DIR:-build-asan}
cmake -S . -B "$BUILD_DIR" -DCALCADIA_SANITIZE=ON -DCALCADIA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g -DNDEBUG" >/dev/null
# Also for the build: the asset tools and the test listing run instrumented.
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitize/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1
# SDL's own search through every sound back end loads the PulseAudio client on the thread that opens
# the device; when a test ends while that thread is still at it, the leak checker's thread tracer
# crashes on the thread-local storage left behind (a fault of the checker, which never gets to report).
# ALSA alone gives the same outcome on a machine without a sound card, and is what a card would use.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-alsa}
cmake --build "$BUILD_DIR" -j"$(nproc)"
# The GL driver and the audio back ends are loaded and unloaded at run time; kept loaded, their leaks
# carry their names. The preload comes before the sanitizer runtime, which must be told that is fine.
export LD_PRELOAD=$PWD/$BUILD_DIR/tests/libcalcadia_keep_loaded.so
# The software GL driver loads LLVM, whose thread-local block the C library then allocates with malloc.
# This compiler's leak checker guesses at the layout of such a block: one that starts 16 bytes past a
# page boundary is taken for an older C library's mapped block, and the 16 bytes before it for that
# block's header of size and start. In the sanitizer's heap those 16 bytes are its own chunk header, so
# whenever an allocation lands there (which one does depends on all the allocations before it) the
# checker records a nonsense range for the thread and its tracer crashes reading it at exit, after the
# test has passed. Preloaded, LLVM's thread-locals sit in the static block laid out at start-up, which
# the checker takes from the thread itself and never guesses at.
gl_llvm=$(ldd "/usr/lib/$(gcc -dumpmachine)/dri/swrast_dri.so" 2>/dev/null | awk '$1 ~ /^libLLVM/ { print $3; exit }' || true)
if [[ -n "$gl_llvm" ]]; then
    LD_PRELOAD="$LD_PRELOAD $gl_llvm"
fi
export ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0
cd "$BUILD_DIR" && ctest --output-on-failure -j"$(nproc)"
