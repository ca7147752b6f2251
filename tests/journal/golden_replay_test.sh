#!/usr/bin/env bash
# The golden journal, a session recorded in the window, replays headless to
# the canvas hash it was recorded with, and its last canvas saves as a
# 1280 x 1024 PNG. A change in what the console does shows as a replay that
# stops at the first frame that differs, or as another hash; when the change
# is meant, record the journal anew: tests/journal/record_golden.sh.
# The browser's demonstration journal (tools/record-demo.sh) is checked the
# same way. Arguments: the vorn binary, the journal, its expected hash file.
set -euo pipefail
VORN=$1
GOLDEN=$2
NAME=$(basename "$GOLDEN")
EXPECTED=$(cat "$3")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

status=0
"$VORN" --replay "$GOLDEN" --headless --screenshot "$WORK/end.png" > "$WORK/out" 2> "$WORK/err" ||
  status=$?
[ "$status" = 0 ] || {
  echo "FAIL: $NAME's replay ended with $status: $(cat "$WORK/err")" >&2
  exit 1
}
hash=$(cat "$WORK/out")
[ "$hash" = "$EXPECTED" ] || {
  echo "FAIL: $NAME replays to $hash, recorded as $EXPECTED" >&2
  exit 1
}
# The PNG signature, then the IHDR chunk's width and height.
[ "$(od -An -tx1 -N8 "$WORK/end.png" | tr -d ' \n')" = 89504e470d0a1a0a ] || {
  echo "FAIL: end.png is not a PNG" >&2
  exit 1
}
[ "$(od -An -tx1 -j16 -N8 "$WORK/end.png" | tr -d ' \n')" = 0000050000000400 ] || {
  echo "FAIL: end.png is not 1280 x 1024" >&2
  exit 1
}
echo "PASS: $hash"
