#!/usr/bin/env bash
# One entry point: "./build.sh play" builds and starts the game, "./build.sh test" builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
case "${1:-play}" in
  play) exec "$BUILD_DIR/calcadia" ;;
  test) cd "$BUILD_DIR" && ctest --output-on-failure -j"$(nproc)" ;;
  *) echo "usage: $0 play|test" >&2; exit 2 ;;
esac
