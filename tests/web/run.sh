#!/usr/bin/env bash
# The browser tests: the page of build-web/ and the replays of build-wasm/replay/ in Debian's headless
# chromium, driven by puppeteer-core from npm (its own browser download is never used).
# Run ./build.sh web first.
set -euo pipefail
cd "$(dirname "$0")"
[ -f ../../build-web/calcadia-offline.html ] && [ -f ../../build-wasm/replay/replay.wasm ] ||
  { echo "tests/web: run ./build.sh web first" >&2; exit 1; }
../../scripts/deps.sh chromium >/dev/null
# Debian's node and npm, unless a node of another origin is already there.
command -v npm >/dev/null || ../../scripts/deps.sh nodejs npm >/dev/null
[ -d node_modules/puppeteer-core ] || PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund >&2
exec node --test --test-concurrency=1 "${@:-game.test.mjs}"
