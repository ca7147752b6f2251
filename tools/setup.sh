#!/usr/bin/env bash
# Sets up a Debian or Ubuntu machine for vorn and then either runs the console
# ("run", the default), builds and passes every test ("test"), or builds the
# console's web site and serves it on this machine ("web"). Packages that
# are missing are installed with apt-get first (through sudo when not root).
set -euo pipefail

mode=${1:-run}
cd "$(dirname "$0")/.."

source tools/packages.sh

packages=(g++ cmake make pkg-config libsdl2-dev libpng-dev)
if [ "$mode" = test ]; then
  # clang's runtime for the fuzzers: the one that goes with the distribution's clang.
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool imagemagick x11-utils libx11-dev
             clang libclang-rt-dev)
  # The window on a HiDPI Wayland desktop: weston at scale 2, inside Xvfb.
  packages+=(weston)
  # The browser build and its tests: emscripten, Chromium, and node with npm
  # for playwright-core (a node that came with its own npm is kept).
  # Ubuntu has Chromium only as a snap, which the browser tests cannot drive
  # (it keeps a /tmp of its own, where the driver puts the browser's profile):
  # there the browser tests are left out, as the build says.
  packages+=(emscripten)
  if is_ubuntu; then
    echo "Ubuntu offers Chromium only as a snap: the browser tests will be left out"
  else
    packages+=(chromium)
  fi
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
elif [ "$mode" = web ]; then
  packages=(cmake make emscripten python3)
fi

install_missing "${packages[@]}"

case "$mode" in
  run)
    cmake --preset release >/dev/null
    cmake --build --preset release --target vorn
    exec build/release/vorn
    ;;
  test)
    (cd tests/web && npm ci --no-audit --no-fund)
    cmake --workflow --preset debug
    ;;
  web)
    cmake --preset web >/dev/null
    cmake --build --preset web --target vorn_web
    echo "vorn is served at http://127.0.0.1:8000/ (Ctrl+C stops it)"
    exec python3 -m http.server 8000 --bind 127.0.0.1 --directory build/web/site
    ;;
  *)
    echo "usage: $0 [run|test|web]" >&2
    exit 2
    ;;
esac
