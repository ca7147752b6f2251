#!/usr/bin/env bash
# Records the demonstration journal that the browser's kiosk plays: the real
# console window under a private Xvfb display, driven with xdotool, for about
# three minutes. The operator challenges with IFF (the friendly aircraft
# answer on the scope), designates an aircraft by hand, fires, and bursts the
# missile by hand once it is under way; then the Auto crew engages two
# aircraft by itself, each to its missile's burst; then Normal and q. (Each
# missile flies for a minute or more at these ranges, and one flies at a
# time, so two whole engagements take most of the three minutes.)
#
# Writes web/demo.vornj and web/demo.hash (the hash `vorn --replay
# web/demo.vornj --headless` prints). Where they stand already, the new pair
# goes to web/demo-new.vornj and web/demo-new.hash, to be moved over the old
# ones by hand, or with --replace it takes their place once it replays.
# Usage: bash tools/record-demo.sh [--replace] [BUILD_DIR]   (default build/release:
# its vorn and the end-to-end tests' read_cells and window_shot)
set -euo pipefail
cd "$(dirname "$0")/.."
REPLACE=false
if [ "${1:-}" = --replace ]; then
  REPLACE=true
  shift
fi
BUILD=${1:-build/release}
VORN=$(realpath "$BUILD/vorn")
READ_CELLS=$BUILD/tests/e2e/read_cells
WINDOW_SHOT=$BUILD/tests/e2e/window_shot
source tools/xsession.sh
source tests/journal/session.sh

fail() {
  echo "record-demo: $*" >&2
  [ -s "$WORK/vorn.err" ] && cat "$WORK/vorn.err" >&2
  exit 1
}

for tool in Xvfb xdotool xprop import; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash tools/setup.sh test installs it)"
done
for program in "$VORN" "$READ_CELLS" "$WINDOW_SHOT"; do
  [ -x "$program" ] || fail "no $program: build $BUILD first"
done

# Every output is checked before the recording starts.
JOURNAL=web/demo.vornj
HASH=web/demo.hash
if [ -e "$JOURNAL" ] || [ -e "$HASH" ]; then
  if $REPLACE; then
    echo "record-demo: $JOURNAL and $HASH are replaced once the new recording replays"
  else
    JOURNAL=web/demo-new.vornj
    HASH=web/demo-new.hash
    [ -e "$JOURNAL" ] || [ -e "$HASH" ] && fail "$JOURNAL or $HASH stands already; move it away first"
    echo "record-demo: web/demo.vornj stands; the new recording goes to $JOURNAL and $HASH"
  fi
fi

# Whether the cells from (ROW, COLUMN) show TEXT in the window now.
shows() {
  "$WINDOW_SHOT" "$WINDOW" "$WORK/shot.ppm" 2>/dev/null &&
    [ "$("$READ_CELLS" "$WORK/shot.ppm" 1280 1024 "$1" "$2" "${#3}")" = "$3" ]
}

# Waits up to SECONDS for COMMAND... to succeed.
#   wait_until SECONDS WHAT COMMAND...
wait_until() {
  local until=$((SECONDS + $1)) what=$2
  shift 2
  until "$@"; do
    kill -0 "$VORN_PID" 2>/dev/null || fail "vorn ended while waiting for $what"
    [ "$SECONDS" -le "$until" ] || fail "never saw $what"
    sleep 0.2
  done
}

# The line a missile's burst writes; the next launch blanks it.
miss_shown() { shows 41 70 "Miss distance"; }
miss_gone() { ! miss_shown; }

start_display_held
start_vorn_with "$VORN" --record "$WORK/demo.vornj"
started=$SECONDS

# The pauses between steps are the demonstration's own pace, for the viewer.
sleep 3
# IFF Mode 1 on: pressed on its button and let go off it, so it stays lit
# while the friendly aircraft answer for a few turns of the sweep.
xdotool mousemove --window "$WINDOW" 620 720 mousedown 1
sleep 0.3
xdotool mousemove --window "$WINDOW" 620 780
sleep 0.2
xdotool mouseup 1
sleep 9
# The hostile aircraft in slot 1, coming from the south-west, by hand.
read -r x y < <(aircraft_on_scope)
press "$x" "$y"
sleep 4
press 620 720 0.15   # IFF off: a click on the lit button
sleep 3
press 620 920        # FIRE (the site is at RED from the start)
# Manual Burst once the missile is past its boost (refused before): SettleGyro
# and Boost take 5.5 s.
sleep 9
press 670 920
sleep 3
press 820 5          # Auto: the crew scans, designates and fires by itself
for shot in 1 2; do
  wait_until 150 "the Auto crew's burst $shot" miss_shown
  echo "record-demo: the Auto crew's missile $shot burst after $((SECONDS - started)) s"
  # The aircraft goes 7.1 s into the burst, and the next launch blanks the line.
  [ "$shot" = 2 ] || wait_until 150 "the Auto crew's launch 2" miss_gone
done
sleep 8
press 770 5          # Normal
sleep 2
press_ending_key q
wait_vorn 30
[ "$EXIT_CODE" = 0 ] || fail "the recording vorn ended with $EXIT_CODE"

hash=$("$VORN" --replay "$WORK/demo.vornj" --headless) || fail "the recording does not replay"
cp "$WORK/demo.vornj" "$JOURNAL.part"
echo "$hash" > "$HASH.part"
mv "$JOURNAL.part" "$JOURNAL"
mv "$HASH.part" "$HASH"
echo "record-demo: $JOURNAL: $(stat -c %s "$JOURNAL") bytes, $((SECONDS - started)) s, hash $hash"
