# Shared by the end-to-end tests: a private X server, the console in it, and
# ways to click, type and read pixels and text cells from screenshots.
#
# Every step waits for what it needs to see, with a generous deadline, rather
# than for a fixed time: on a busy machine the console, the X server and the
# tools here may each be slow by seconds.
set -euo pipefail

VORN=$1
SEND_CLOSE=${2:-}
READ_CELLS=${3:-}
WINDOW_SHOT=${4:-}
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/xsession.sh"

# How long a step waits for what it expects to see, in seconds of wall time.
WAIT_SECONDS=10

# Fails the test, with what vorn said on standard error (a sanitizer report).
fail() {
  echo "FAIL: $*" >&2
  [ -s "$WORK/vorn.err" ] && { echo "vorn's standard error:" >&2; cat "$WORK/vorn.err" >&2; }
  exit 1
}

start_display() { start_private_display; }

# Starts vorn and waits until its window shows the console.
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

# Takes a screenshot of the window: shot.ppm, read by read_cells and
# ImageMagick. window_shot reads it from the X server in one request, in a
# fraction of the time ImageMagick's import takes.
shot() {
  if ! "$WINDOW_SHOT" "$WINDOW" "$WORK/shot.ppm" 2> "$WORK/shot.err"; then
    kill -0 "$VORN_PID" 2>/dev/null || fail "vorn ended unexpectedly"
    fail "no screenshot: $(cat "$WORK/shot.err")"
  fi
}

# The canvas the window shows: the console's, or the help pages' after Text.
CANVAS_WIDTH=1280
CANVAS_HEIGHT=1024

# The text of LENGTH cells from (ROW, COLUMN), 1-based, in the last screenshot.
cells() {
  "$READ_CELLS" "$WORK/shot.ppm" "$CANVAS_WIDTH" "$CANVAS_HEIGHT" "$1" "$2" "$3"
}

# The colour "r,g,b" of the first lit pixel of LENGTH cells, or "none".
cell_colour() {
  "$READ_CELLS" --colour "$WORK/shot.ppm" "$CANVAS_WIDTH" "$CANVAS_HEIGHT" "$1" "$2" "$3"
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

# Whether the cells from (ROW, COLUMN) show TEXT in the last screenshot.
shows_cells() {
  [ "$(cells "$1" "$2" "${#3}")" = "$3" ]
}

# Fails unless the cells from (ROW, COLUMN) show TEXT in the last screenshot.
expect_cells() {
  local got
  got=$(cells "$1" "$2" "${#3}")
  [ "$got" = "$3" ] || fail "row $1, column $2 shows \"$got\", expected \"$3\""
}

# Takes screenshots until COMMAND... succeeds on the last one, for at most
# SECONDS of wall time; fails if it never does. Always tries at least twice,
# so a single slow screenshot cannot use up the time.
#   poll SECONDS COMMAND...
poll() {
  local until=$((SECONDS + $1)) tries=0
  shift
  while :; do
    shot
    "$@" && return 0
    tries=$((tries + 1))
    [ "$SECONDS" -le "$until" ] || [ "$tries" -lt 2 ] || return 1
    sleep 0.1
  done
}

# Waits until the cells from (ROW, COLUMN) show TEXT, for at most SECONDS
# (default WAIT_SECONDS) of wall time.
wait_for_cells() {
  poll "${4:-$WAIT_SECONDS}" shows_cells "$1" "$2" "$3" ||
    fail "row $1, column $2 never showed \"$3\" (last: \"$(cells "$1" "$2" "${#3}")\")"
}

# The colour of a canvas pixel in the last screenshot, as "r,g,b".
pixel() {
  convert "$WORK/shot.ppm" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# Whether the pixel (X, Y) is within a few units of r,g,b in the last
# screenshot (the window expands 5-6-5).
shows_pixel() {
  same_colour "$(pixel "$1" "$2")" "$3"
}

expect_pixel() {
  shows_pixel "$1" "$2" "$3" || fail "pixel ($1, $2) is $(pixel "$1" "$2"), expected about $3"
}

# Waits until the pixel (X, Y) shows about r,g,b.
wait_for_pixel() {
  poll "$WAIT_SECONDS" shows_pixel "$1" "$2" "$3" ||
    fail "pixel ($1, $2) never showed about $3 (last: $(pixel "$1" "$2"))"
}

# Clicks the left button at (x, y): press and release go out from one xdotool
# back to back, about 12 ms apart. The console sees a click once even when
# both come between two of its 0.1 s reads, and the press is over long before
# Pause's 0.2 s hold ends, whatever the scheduler does to this script. The
# click goes through the XTEST extension like a real mouse's (no window named
# in that xdotool), so a click that ends the console (Exit) cannot make
# xdotool fail on a window that went away under the release.
click() {
  xdotool mousemove --window "$WINDOW" "$1" "$2"
  xdotool click 1
}

# Clicks a control that toggles, at (X, Y), until the cells from (ROW,
# COLUMN) show TEXT. A click that the console took twice (a press held past
# Pause's hold on a stalled machine) leaves the old state, so after a few
# seconds without the new one the control is clicked again.
#   toggle_to ROW COLUMN TEXT X Y
toggle_to() {
  local attempt
  for attempt in 1 2 3; do
    click "$4" "$5"
    poll 5 shows_cells "$1" "$2" "$3" && return 0
    echo "click $attempt at ($4, $5) did not show \"$3\"; clicking again" >&2
  done
  fail "row $1, column $2 never showed \"$3\" after three clicks (last: \"$(cells "$1" "$2" "${#3}")\")"
}

# Designates slot 1 (hostile, 88000 yards west and 44060 south, flying east
# at 300 yd/s) by clicking its echo with CLICKER (click, or another that
# takes canvas pixels). The click goes where the aircraft is reckoned to be
# now; should it miss, it is made again a little later.
designate_slot_one() {
  local clicker=$1 x y
  for attempt in 1 2 3; do
    read -r x y < <(scope_position -88000 -44060 300 0)
    "$clicker" "$x" "$y"
    poll 5 shows_cells 33 70 "Target Designated      YES" && return 0
    echo "click $attempt at canvas ($x, $y) designated nothing; clicking again" >&2
  done
  fail "clicking the echo never designated it"
}
