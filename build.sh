#!/usr/bin/env bash
# One entry point: "./build.sh play" builds and starts the game, "./build.sh test" builds and runs every
# test, "./build.sh web" builds the browser version into build-web/ and "./build.sh serve" serves it.
set -euo pipefail
cd "$(dirname "$0")"
BUILD_DIR=${BUILD_DIR:-build}

native()
{
  ./scripts/deps.sh
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
  cmake --build "$BUILD_DIR" -j"$(nproc)" "$@"
}

case "${1:-play}" in
  play) native; exec "$BUILD_DIR/calcadia" ;;
  test) native; cd "$BUILD_DIR" && ctest --output-on-failure -j"$(nproc)" ;;
  web)
    # The libraries for WebAssembly (built once, then cached), and Data/ drawn by the native tools.
    deps=$(./scripts/web-deps.sh | tail -1)
    native --target calcadia_data
    export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
    emcmake cmake -S . -B build-wasm -DCMAKE_BUILD_TYPE=Release -DCALCADIA_WEB_DEPS="$deps" \
      -DCALCADIA_DATA="$PWD/$BUILD_DIR/Data" -DCALCADIA_WEB_OUT="$PWD/build-web" >/dev/null
    cmake --build build-wasm -j"$(nproc)"
    echo "The browser version is in build-web/; ./build.sh serve serves it." ;;
  serve)
    [ -f build-web/index.html ] || { echo "No build-web/ yet: run ./build.sh web first" >&2; exit 1; }
    port=${PORT:-8080}
    echo "Calcadia at http://127.0.0.1:$port/ (Ctrl+C stops the server)"
    exec python3 -m http.server --bind 127.0.0.1 --directory build-web "$port" ;;
  *) echo "usage: $0 play|test|web|serve" >&2; exit 2 ;;
esac
