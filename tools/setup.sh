#!/usr/bin/env bash
# Sets up a Debian or Ubuntu machine for vorn and then either runs the console
# ("run", the default) or builds and passes every test ("test"). Packages that
# are missing are installed with apt-get first (through sudo when not root).
set -euo pipefail

mode=${1:-run}
cd "$(dirname "$0")/.."

packages=(g++ cmake make pkg-config libsdl2-dev libpng-dev)
if [ "$mode" = test ]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool imagemagick x11-utils libx11-dev
             clang libclang-rt-14-dev)
fi

source tools/packages.sh
install_missing "${packages[@]}"

case "$mode" in
  run)
    cmake --preset release >/dev/null
    cmake --build --preset release --target vorn
    exec build/release/vorn
    ;;
  test)
    cmake --workflow --preset debug
    ;;
  *)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
