#!/usr/bin/env bash
# A session's end leaves nothing in flight: when end_process returns, the
# X server has exited and taken its lock and socket with it (a new server may
# take the display number at once), and a process that ignores TERM is
# killed after the deadline and reaped.
set -euo pipefail
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
source "$(dirname "$0")/../../tools/xsession.sh"

for round in 1 2 3; do
  start_private_display
  number=${DISPLAY#:}
  pid=$XVFB_PID
  end_process "$XVFB_PID"
  XVFB_PID=""
  [ ! -e "/proc/$pid" ] || fail "round $round: Xvfb $pid is still there"
  [ ! -e "/tmp/.X$number-lock" ] || fail "round $round: display $number's lock is still there"
  [ ! -e "/tmp/.X11-unix/X$number" ] || fail "round $round: display $number's socket is still there"
done

bash -c 'trap "" TERM; while :; do sleep 1; done' &
stubborn=$!
sleep 0.5 # the trap is set before the TERM comes
end_process "$stubborn" 1 2> /dev/null
[ ! -e "/proc/$stubborn" ] || fail "a process that ignores TERM is still there"
echo "end_process: 3 X servers and a process that ignores TERM ended and reaped"
