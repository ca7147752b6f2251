#!/usr/bin/env bash
# A session recorded in the real window under Xvfb (xdotool clicks and keys)
# replays without a window and in the window to the same canvas hash; the
# journal stands under its name only once the program has ended; the viewer's
# q ends a window replay early; a recording killed outright replays up to its
# last whole block; a disk that fills while recording ends the
# program with the reason and keeps what was written.
# Arguments: the vorn binary.
set -Eeuo pipefail
VORN=$1
source "$(dirname "$0")/../../tools/xsession.sh"
source "$(dirname "$0")/session.sh"

start_display_held
show_vorn_on_error
JOURNAL=$WORK/session.vornj
start_vorn_with "$VORN" --record "$JOURNAL"
[ -f "$JOURNAL.part" ] || fail "no $JOURNAL.part while recording"
[ -e "$JOURNAL" ] && fail "$JOURNAL stands under its name while recording"
run_session
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "the recording vorn ended with $EXIT_CODE"
[ -f "$JOURNAL" ] || fail "no journal after the recording"
[ -e "$JOURNAL.part" ] && fail "$JOURNAL.part left behind"
echo "ok: recorded $(stat -c %s "$JOURNAL") bytes"

status=0
"$VORN" --replay "$JOURNAL" --headless --hash > "$WORK/headless.out" 2> "$WORK/vorn.err" || status=$?
[ "$status" = 0 ] || fail "the headless replay ended with $status"
headless=$(cat "$WORK/headless.out")
[[ $headless =~ ^[0-9a-f]{16}$ ]] || fail "the headless replay printed \"$headless\""
echo "ok: headless replay: $headless"

# In the window, at the recorded pace: the same hash when it ends by itself.
start_replay_with "$VORN" --replay "$JOURNAL"
wait_vorn 120
[ "$EXIT_CODE" = 0 ] || fail "the window replay ended with $EXIT_CODE"
window=$(cat "$WORK/vorn.out")
[ "$window" = "$headless" ] || fail "the window replay ends at $window, the headless one at $headless"
echo "ok: window replay: $window"

# The viewer's q ends the replay early, with the hash of where it stood.
start_replay_with "$VORN" --replay "$JOURNAL"
sleep 1
press_ending_key q
wait_vorn 10
[ "$EXIT_CODE" = 0 ] || fail "the replay stopped with q ended with $EXIT_CODE"
stopped=$(cat "$WORK/vorn.out")
[[ $stopped =~ ^[0-9a-f]{16}$ ]] && [ "$stopped" != "$headless" ] ||
  fail "the replay stopped early printed \"$stopped\""
echo "ok: stopped by q at $stopped"

# A recording cut off by a crash (killed outright) keeps its .part, which
# replays up to its last whole block and then says it was cut off.
CRASH=$WORK/crash.vornj
start_vorn_with "$VORN" --record "$CRASH"
xdotool mousemove --window "$WINDOW" 300 700
sleep 2
kill -0 "$VORN_PID" 2>/dev/null || {
  status=0
  wait "$VORN_PID" || status=$?
  VORN_PID=""
  fail "the recording to be cut off ended by itself, with status $status"
}
kill -KILL "$VORN_PID"
wait "$VORN_PID" 2>/dev/null || true
VORN_PID=""
[ -e "$CRASH" ] && fail "a crashed recording stands under its name"
status=0
"$VORN" --replay "$CRASH.part" --headless > "$WORK/crash.out" 2> "$WORK/crash.err" || status=$?
[ "$status" = 1 ] && grep -q "is cut off after event" "$WORK/crash.err" &&
  [[ $(cat "$WORK/crash.out") =~ ^[0-9a-f]{16}$ ]] ||
  fail "the crashed recording's replay: $status $(cat "$WORK/crash.out" "$WORK/crash.err")"
echo "ok: crashed recording: $(cat "$WORK/crash.err")"

# A full disk: files may not grow past 16 KB (and the signal for that is
# ignored, so a write fails as on a full disk).
FULL=$WORK/full.vornj
printf '#!/bin/sh\ntrap "" XFSZ\nulimit -f 32\nexec %q --record %q\n' "$VORN" "$FULL" > "$WORK/vorn-full"
chmod +x "$WORK/vorn-full"
start_vorn_window "$WORK/vorn-full"
xdotool mousemove --window "$WINDOW" 300 700
wait_vorn 60
[ "$EXIT_CODE" = 1 ] || fail "vorn on a full disk ended with $EXIT_CODE"
err=$(cat "$WORK/vorn.err")
[ "$(wc -l < "$WORK/vorn.err")" = 1 ] &&
  [[ $err == "vorn: cannot write $FULL.part: File too large; the recording up to then is kept in $FULL.part, which replays up to its last whole block" ]] ||
  fail "on a full disk vorn said: $err"
[ -e "$FULL" ] && fail "a journal stands under its name after the disk filled"
[ "$(stat -c %s "$FULL.part")" = 16384 ] || fail "$FULL.part holds $(stat -c %s "$FULL.part") bytes, not the 16384 written"
status=0
"$VORN" --replay "$FULL.part" --headless > "$WORK/full.out" 2> "$WORK/full.err" || status=$?
[ "$status" = 1 ] && grep -q "is cut off after event" "$WORK/full.err" ||
  fail "the recording kept on the full disk: $status $(cat "$WORK/full.err")"
echo "ok: full disk: $err"
echo PASS
