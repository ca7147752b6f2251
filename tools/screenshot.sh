#!/usr/bin/env bash
# Makes docs/screenshot.png: the real console window under a private Xvfb
# display, in Auto mode, caught while the crew's missile is in flight.
# Needs Xvfb, xdotool and ImageMagick (bash tools/setup.sh test installs them).
# Usage: bash tools/screenshot.sh [path/to/vorn] [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."

VORN=${1:-build/release/vorn}
OUT=${2:-docs/screenshot.png}
source tools/xsession.sh

fail() {
  echo "screenshot: $*" >&2
  exit 1
}

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash tools/setup.sh test installs it)"
done

if [ "$VORN" = build/release/vorn ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target vorn >/dev/null
fi
[ -x "$VORN" ] || fail "no program at $VORN"

start_private_display
start_vorn_window "$VORN"

# Choose Auto in the mode menu, then take the pointer off the canvas: in Auto
# the crew works the controls by itself.
xdotool mousemove --window "$WINDOW" 820 5 mousedown 1
sleep 0.3
xdotool mouseup 1
xdotool mousemove 1590 1190

# Green on the X/Y board is the missile's trail: wait until it shows.
green_on_board() {
  convert "$WORK/shot.png" -crop 399x399+61+66 +repage -fuzz 8% \
    -fill black +opaque '#00FF00' -fill white -opaque '#00FF00' \
    -format '%[fx:round(mean*w*h)]' info:
}
flying=""
for _ in $(seq 120); do
  sleep 1
  import -window "$WINDOW" "$WORK/shot.png"
  if [ "$(green_on_board)" -ge 25 ]; then
    flying=yes
    break
  fi
done
[ -n "$flying" ] || fail "no missile was fired within two minutes"
# Let it dive and cruise a while: longer trails, steering orders, a settled MTR.
sleep 20

import -window "$WINDOW" "$WORK/final.png"
mkdir -p "$(dirname "$OUT")"
# Strip the time stamps so a new picture differs only where the console does.
convert "$WORK/final.png" -strip -define png:exclude-chunks=date,time "$OUT"
# The window may be gone before xdotool sends the key's release.
xdotool key --window "$WINDOW" q 2>/dev/null || true
for _ in $(seq 50); do
  kill -0 "$VORN_PID" 2>/dev/null || break
  sleep 0.1
done
echo "wrote $OUT"
