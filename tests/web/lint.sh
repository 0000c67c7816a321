#!/usr/bin/env bash
# The lint of the browser build's JavaScript (tests/web/eslint.config.mjs): ESLint from npm, installed
# into tests/web/node_modules on first use, as the browser tests' puppeteer-core is.
set -euo pipefail
cd "$(dirname "$0")"
# Debian's node and npm, unless a node of another origin is already there.
command -v npm >/dev/null || ../../scripts/deps.sh nodejs npm >/dev/null
[ -x node_modules/.bin/eslint ] || PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund >&2
cd ../..
exec tests/web/node_modules/.bin/eslint --max-warnings 0 -c tests/web/eslint.config.mjs web tests/web bench/web_budget.mjs
