# Shared by the end-to-end tests: a private X server, the console in it, and
# ways to click, type and read pixels and text cells from screenshots.
set -euo pipefail

VORN=$1
SEND_CLOSE=${2:-}
READ_CELLS=${3:-}
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/xsession.sh"

# Fails the test, with what vorn said on standard error (a sanitizer report).
fail() {
  echo "FAIL: $*" >&2
  [ -s "$WORK/vorn.err" ] && { echo "vorn's standard error:" >&2; cat "$WORK/vorn.err" >&2; }
  exit 1
}

start_display() { start_private_display; }

# Starts vorn and waits for its window.
start_vorn() {
  VORN_STARTED=$(date +%s.%N)
  start_vorn_window "$VORN"
}

# Where an aircraft of the built-in scenario is on the scope now, as "x y"
# in window pixels: it started at (X, Y) yards and flies at (VX, VY) yd/s;
# simulated time runs with the clock from the start.
scope_position() {
  awk -v x="$1" -v y="$2" -v vx="$3" -v vy="$4" -v t0="$VORN_STARTED" -v t="$(date +%s.%N)" \
    'BEGIN { s = t - t0; printf "%d %d\n", 265 + (x + vx * s) / 1500 + 0.5, 770 - (y + vy * s) / 1500 + 0.5 }'
}

# Waits for vorn to end and sets EXIT_CODE to its exit code.
wait_vorn() {
  EXIT_CODE=0
  for _ in $(seq 100); do
    kill -0 "$VORN_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$VORN_PID" 2>/dev/null && fail "vorn did not end"
  wait "$VORN_PID" || EXIT_CODE=$?
  VORN_PID=""
}

# Takes a screenshot of the window (shot.ppm), and a raw RGB dump of it for
# read_cells (shot.rgb, SHOT_WIDTH x SHOT_HEIGHT). Uncompressed: a PNG would
# take longer than the console's half-second panel refresh.
shot() {
  import -window "$WINDOW" -depth 8 "ppm:$WORK/shot.ppm"
  convert "$WORK/shot.ppm" "rgb:$WORK/shot.rgb"
  read -r SHOT_WIDTH SHOT_HEIGHT < <(head -n 2 "$WORK/shot.ppm" | tail -n 1)
}

# The canvas the window shows: the console's, or the help pages' after Text.
CANVAS_WIDTH=1280
CANVAS_HEIGHT=1024

# The text of LENGTH cells from (ROW, COLUMN), 1-based, in the last screenshot.
cells() {
  "$READ_CELLS" "$WORK/shot.rgb" "$SHOT_WIDTH" "$SHOT_HEIGHT" "$CANVAS_WIDTH" "$CANVAS_HEIGHT" \
    "$1" "$2" "$3"
}

# The colour "r,g,b" of the first lit pixel of LENGTH cells, or "none".
cell_colour() {
  "$READ_CELLS" --colour "$WORK/shot.rgb" "$SHOT_WIDTH" "$SHOT_HEIGHT" "$CANVAS_WIDTH" \
    "$CANVAS_HEIGHT" "$1" "$2" "$3"
}

# Whether two colours "r,g,b" are within a few units (the window expands 5-6-5).
same_colour() {
  local gr gg gb wr wg wb d
  IFS=, read -r gr gg gb <<< "$1"
  IFS=, read -r wr wg wb <<< "$2"
  [ -n "$gb" ] && [ -n "$wb" ] || return 1
  for d in $((gr - wr)) $((gg - wg)) $((gb - wb)); do
    [ "${d#-}" -le 8 ] || return 1
  done
}

# Fails unless the cells from (ROW, COLUMN) show TEXT in the last screenshot.
expect_cells() {
  local got
  got=$(cells "$1" "$2" "${#3}")
  [ "$got" = "$3" ] || fail "row $1, column $2 shows \"$got\", expected \"$3\""
}

# Takes screenshots until the cells from (ROW, COLUMN) show TEXT, for at
# most SECONDS (default 10) of wall time.
wait_for_cells() {
  local until=$((SECONDS + ${4:-10}))
  while :; do
    shot
    [ "$(cells "$1" "$2" "${#3}")" = "$3" ] && return 0
    [ "$SECONDS" -lt "$until" ] || break
    sleep 0.2
  done
  fail "row $1, column $2 never showed \"$3\" (last: \"$(cells "$1" "$2" "${#3}")\")"
}

# The colour of a canvas pixel in the last screenshot, as "r,g,b".
pixel() {
  convert "$WORK/shot.ppm" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# Whether the pixel is within a few units of r,g,b (the window expands 5-6-5).
expect_pixel() {
  local got
  got=$(pixel "$1" "$2")
  same_colour "$got" "$3" || fail "pixel ($1, $2) is $got, expected about $3"
}

# Presses the left button at (x, y) for about 0.3 s: three ticks see it.
click() {
  xdotool mousemove --window "$WINDOW" "$1" "$2" mousedown 1
  sleep 0.3
  xdotool mouseup 1
}

# A short press, for controls that toggle: at least one 0.1 s tick sees the
# button down, and it is up again before Pause's 0.2 s wait is over.
tap() {
  xdotool mousemove --window "$WINDOW" "$1" "$2" mousedown 1
  sleep 0.15
  xdotool mouseup 1
}
