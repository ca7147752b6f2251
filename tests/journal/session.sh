# A session at the console in its window under Xvfb, driven with xdotool:
# designate an aircraft, RED, FIRE, Manual Burst, the help pages and back,
# Pause and on again, the p hold, Auto for a while, and q. Sourced by the
# window recording tests and by record_golden.sh, after tools/xsession.sh
# (x11-utils gives xprop).

# Ends the test with the reason and what vorn said.
fail() {
  echo "FAIL: $*" >&2
  [ -s "$WORK/vorn.err" ] && { echo "vorn's standard error:" >&2; cat "$WORK/vorn.err" >&2; }
  exit 1
}

# From here on, a step that fails (xdotool finding the window gone, say)
# shows what vorn said; for a script run with set -E.
show_vorn_on_error() {
  trap 'echo "FAIL: line $LINENO; vorn said:" >&2; cat "$WORK/vorn.err" >&2' ERR
}

# Starts the private display, with one client that stays connected: Xvfb
# resets itself when its last client leaves, and a vorn started during the
# reset could not connect.
start_display_held() {
  start_private_display
  xprop -root -spy > /dev/null 2>&1 &
  HOLD_PID=$!
  trap 'end_process "$HOLD_PID"; end_session' EXIT
}

# Starts vorn with the given arguments in the private display and waits for
# its window (named WINDOW_NAME, a pattern: the console's own by default).
start_vorn_with() {
  printf '#!/bin/sh\nexec' > "$WORK/vorn-args"
  printf ' %q' "$@" >> "$WORK/vorn-args"
  printf '\n' >> "$WORK/vorn-args"
  chmod +x "$WORK/vorn-args"
  VORN_STARTED=$(date +%s.%N)
  start_vorn_window "$WORK/vorn-args" "${WINDOW_NAME:-^vorn$}"
}

# Starts a replay in the window with the given arguments, as start_vorn_with
# does a console: the replay names its window after the journal and where it
# stands ("vorn: replay of NAME 0:12 / 2:34") from its first clock reading on.
start_replay_with() {
  WINDOW_NAME='^vorn(: replay of .*)?$' start_vorn_with "$@"
}

# The window's title.
window_title() {
  xdotool getwindowname "$WINDOW" 2>/dev/null || true
}

# Waits, for at most SECONDS (default 60), until the window's title matches
# the extended regular expression PATTERN.
#   wait_for_title PATTERN [SECONDS]
wait_for_title() {
  local until=$((SECONDS + ${2:-60})) title=""
  while :; do
    title=$(window_title)
    [[ $title =~ $1 ]] && return 0
    kill -0 "$VORN_PID" 2>/dev/null || fail "vorn ended before its title matched $1 (last: \"$title\")"
    [ "$SECONDS" -le "$until" ] || fail "the title never matched $1 (last: \"$title\")"
    sleep 0.1
  done
}

# Waits, for at most SECONDS (default 120), until vorn has printed COUNT lines.
#   wait_for_lines COUNT [SECONDS]
wait_for_lines() {
  local until=$((SECONDS + ${2:-120}))
  while [ "$(wc -l < "$WORK/vorn.out")" -lt "$1" ]; do
    kill -0 "$VORN_PID" 2>/dev/null || fail "vorn ended before printing $1 lines: $(cat "$WORK/vorn.out")"
    [ "$SECONDS" -le "$until" ] || fail "vorn printed $(wc -l < "$WORK/vorn.out") lines, not $1"
    sleep 0.2
  done
}

# Presses the left button at (x, y) for the given seconds (default 0.3: three
# ticks see it).
press() {
  kill -0 "$VORN_PID" 2>/dev/null || fail "vorn ended before the click at $1 $2"
  xdotool mousemove --window "$WINDOW" "$1" "$2" mousedown 1
  sleep "${3:-0.3}"
  xdotool mouseup 1
}

key() {
  kill -0 "$VORN_PID" 2>/dev/null || fail "vorn ended before the key $1"
  xdotool key --window "$WINDOW" "$1"
}

# Where slot 1's aircraft (88000 yards west, 44060 south, east at 300 yd/s)
# is on the scope now, as "x y" window pixels.
aircraft_on_scope() {
  awk -v t0="$VORN_STARTED" -v t="$(date +%s.%N)" \
    'BEGIN { s = t - t0; printf "%d %d\n", 265 + (-88000 + 300 * s) / 1500 + 0.5, 770 + 44060 / 1500 + 0.5 }'
}

# The session; AUTO_SECONDS (default 8) of the Auto crew before q.
run_session() {
  local auto=${AUTO_SECONDS:-8} x y
  xdotool mousemove --window "$WINDOW" 300 700
  sleep 0.5
  read -r x y < <(aircraft_on_scope)
  press "$x" "$y"
  sleep 0.5
  press 500 15        # RED
  sleep 2
  press 620 920       # FIRE
  sleep 12
  press 670 920       # Manual Burst
  sleep 2
  press 975 5         # Text: the help pages
  sleep 1
  key greater
  sleep 1
  key x               # back to the console
  sleep 1
  press 880 5 0.15    # Pause
  sleep 1.5
  press 880 5 0.15    # and on again
  sleep 1
  key p               # the hold until the next key
  sleep 1
  key space
  sleep 1
  press 820 5         # Auto
  sleep "$auto"
  press 770 5         # Normal
  sleep 0.5
  press_ending_key q
}
