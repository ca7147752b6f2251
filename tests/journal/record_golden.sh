#!/usr/bin/env bash
# Records the golden journal anew: a session of a few minutes in the real
# window under Xvfb, driven with xdotool (session.sh, with two minutes of the
# Auto crew), into tests/data/golden.vornj, and its replay's canvas hash into
# tests/data/golden.hash. Run it when the console's behaviour changes on
# purpose, and commit both files:
#   tests/journal/record_golden.sh [path/to/vorn]   (default: build/release/vorn)
set -euo pipefail
cd "$(dirname "$0")/../.."
VORN=$(realpath "${1:-build/release/vorn}")
source tools/xsession.sh
source tests/journal/session.sh

fail() {
  echo "record_golden: $*" >&2
  [ -s "$WORK/vorn.err" ] && cat "$WORK/vorn.err" >&2
  exit 1
}

start_display_held
start_vorn_with "$VORN" --record "$WORK/golden.vornj"
AUTO_SECONDS=${AUTO_SECONDS:-120} run_session
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "the recording vorn ended with $EXIT_CODE"
hash=$("$VORN" --replay "$WORK/golden.vornj" --headless --hash) || fail "the golden journal does not replay"
cp "$WORK/golden.vornj" tests/data/golden.vornj
echo "$hash" > tests/data/golden.hash
echo "tests/data/golden.vornj: $(stat -c %s tests/data/golden.vornj) bytes, hash $hash"
