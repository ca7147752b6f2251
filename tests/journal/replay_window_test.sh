#!/usr/bin/env bash
# Window replays of the golden journal under Xvfb: at 4x the title shows the
# position, the length and the pace, and the replay ends at the recorded
# hash; with --loop each pass begins on a fresh console and ends at the
# recorded hash, and the viewer's q ends the loop.
# Arguments: the vorn binary, the golden journal, its expected hash file.
set -Eeuo pipefail
VORN=$1
GOLDEN=$2
EXPECTED=$(cat "$3")
source "$(dirname "$0")/../../tools/xsession.sh"
source "$(dirname "$0")/session.sh"

fail() {
  echo "FAIL: $*" >&2
  [ -s "$WORK/vorn.err" ] && { echo "vorn's standard error:" >&2; cat "$WORK/vorn.err" >&2; }
  exit 1
}

start_display_held
trap 'echo "FAIL: line $LINENO; vorn said:" >&2; cat "$WORK/vorn.err" >&2' ERR

start_replay_with "$VORN" --replay "$GOLDEN" --speed 4
# Past its first seconds, and the length is the same however far it has got.
wait_for_title '^vorn: replay of golden\.vornj 0:0[3-9] / [0-9]+:[0-9]{2} at 4×$'
length=${BASH_REMATCH[0]##* / }
# The length read from the journal before the replay: the session lasts minutes.
[[ $length =~ ^([0-9]+):[0-9]{2}\ at ]] && [ "${BASH_REMATCH[1]}" -ge 1 ] ||
  fail "the title gives the length as $length"
wait_for_title "^vorn: replay of golden\\.vornj 0:[1-5][0-9] / ${length% at 4×} at 4×\$"
echo "ok: $(window_title)"
wait_vorn 600
[ "$EXIT_CODE" = 0 ] || fail "the replay at 4x ended with $EXIT_CODE"
[ "$(cat "$WORK/vorn.out")" = "$EXPECTED" ] ||
  fail "the replay at 4x ends at $(cat "$WORK/vorn.out"), recorded as $EXPECTED"
echo "ok: at 4x: $EXPECTED"

start_replay_with "$VORN" --replay "$GOLDEN" --loop --speed 16
wait_for_lines 2 600
wait_for_title '^vorn: replay of golden\.vornj '
press_ending_key q
wait_vorn 30
[ "$EXIT_CODE" = 0 ] || fail "the loop ended by q ended with $EXIT_CODE"
mapfile -t hashes < "$WORK/vorn.out"
[ "${#hashes[@]}" = 3 ] && [ "${hashes[0]}" = "$EXPECTED" ] && [ "${hashes[1]}" = "$EXPECTED" ] &&
  [[ ${hashes[2]} =~ ^[0-9a-f]{16}$ ]] || fail "the loop printed: ${hashes[*]}"
echo "ok: two passes at $EXPECTED, then q at ${hashes[2]}"
echo PASS
