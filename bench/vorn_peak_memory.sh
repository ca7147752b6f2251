#!/usr/bin/env bash
# Peak resident memory of the real vorn: starts it on $DISPLAY, switches it
# to Auto mode with a click on the mode menu, lets it run, reads VmHWM from
# /proc and ends it with "q" (checking that it ends with exit code 0).
#
#   DISPLAY=:95 bench/vorn_peak_memory.sh build/release/vorn [seconds]
set -euo pipefail

VORN=${1:?usage: vorn_peak_memory.sh path/to/vorn [seconds]}
SECONDS_TO_RUN=${2:-30}

"$VORN" &
PID=$!
trap 'kill "$PID" 2>/dev/null || true' EXIT

WINDOW=""
for _ in $(seq 100); do
  WINDOW=$(xdotool search --name '^vorn$' 2>/dev/null | head -1 || true)
  [ -n "$WINDOW" ] && break
  sleep 0.1
done
[ -n "$WINDOW" ] || { echo "no vorn window appeared" >&2; exit 1; }
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
sleep 1

# "Auto" in the mode menu: canvas pixel (812, 8), in window pixels at the
# window's scale.
read -r WIDTH < <(xdotool getwindowgeometry --shell "$WINDOW" | sed -n 's/^WIDTH=//p')
X=$((812 * WIDTH / 1280))
Y=$((8 * WIDTH / 1280))
xdotool mousemove --window "$WINDOW" "$X" "$Y" mousedown 1
sleep 0.3
xdotool mouseup 1
xdotool mousemove --window "$WINDOW" 5 1000

sleep "$SECONDS_TO_RUN"
grep -E '^(VmHWM|VmRSS)' "/proc/$PID/status"
ps -o cputime=,etime= -p "$PID" | awk '{print "CPU time " $1 " over " $2 " elapsed"}'

xdotool key --window "$WINDOW" q
for _ in $(seq 50); do
  kill -0 "$PID" 2>/dev/null || break
  sleep 0.1
done
CODE=0
wait "$PID" || CODE=$?
trap - EXIT
echo "exit code $CODE"
