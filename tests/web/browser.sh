#!/usr/bin/env bash
# Builds the site in the `web` preset and drives it in the system's Chromium
# (the *.test.mjs files beside this script, with node's test runner).
set -euo pipefail
cd "$(dirname "$0")"
[ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund
cd ../..
cmake --preset web >/dev/null
cmake --build --preset web --target vorn_web >/dev/null
cd tests/web
exec node --test --test-concurrency=1 ./*.test.mjs
