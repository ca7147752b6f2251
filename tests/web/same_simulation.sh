#!/usr/bin/env bash
# The browser build runs the same simulation as the desktop build: the
# scripted run of same_simulation.cpp, built natively (NATIVE, given) and with
# emscripten (built here in the `web` preset, run under node), prints the
# same canvas hashes.
set -euo pipefail
native=$1
cd "$(dirname "$0")/../.."
cmake --preset web >/dev/null
cmake --build --preset web --target vorn_same_simulation >/dev/null
want=$("$native")
got=$(node build/web/vorn_same_simulation.js)
echo "desktop build:"; echo "$want"
echo "browser build:"; echo "$got"
[ -n "$want" ] && [ "$want" = "$got" ] || { echo "FAIL: the canvases differ" >&2; exit 1; }
echo PASS
