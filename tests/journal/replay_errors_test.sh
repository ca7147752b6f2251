#!/usr/bin/env bash
# The command line and the journal's bad inputs, through the built program:
# each mistake gives one line on standard error and its exit status, and no
# crash. Needs no display: every replay here is headless or never starts.
# Arguments: the vorn binary, the golden journal.
set -euo pipefail
VORN=$1
GOLDEN=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Runs vorn with the arguments; sets STATUS, OUT and ERR.
run() {
  STATUS=0
  "$VORN" "$@" > "$WORK/out" 2> "$WORK/err" || STATUS=$?
  OUT=$(cat "$WORK/out")
  ERR=$(cat "$WORK/err")
}

# expect STATUS TEXT ARGS...: the exit status, and TEXT in a one-line error.
expect() {
  local status=$1 text=$2
  shift 2
  run "$@"
  [ "$STATUS" = "$status" ] || fail "vorn $* ended with $STATUS, not $status: $ERR"
  [ "$(wc -l < "$WORK/err")" = 1 ] || fail "vorn $*: not one line on standard error: $ERR"
  [[ $ERR == "vorn: "*"$text"* ]] || fail "vorn $*: \"$ERR\" does not say \"$text\""
  echo "ok: vorn $* -> $STATUS: $ERR"
}

# --- the command line ------------------------------------------------------
run --help
[ "$STATUS" = 0 ] && [[ $OUT == "Usage: vorn"* ]] && [[ $OUT == *"--replay FILE"* ]] ||
  fail "--help: $STATUS $OUT"
run --version
[ "$STATUS" = 0 ] && [[ $OUT =~ ^vorn\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version: $OUT"
expect 2 "unknown option --bogus (usage: vorn [--record FILE" --bogus
expect 2 "option --record needs a file name" --record
expect 2 "option --replay needs a file name" --replay
expect 2 "--headless goes with --replay" --headless
expect 2 "unexpected argument extra" --replay "$GOLDEN" extra
expect 2 "--record and --replay cannot be given together" --record a --replay b

# --- journals that cannot be replayed --------------------------------------
expect 1 "cannot open $WORK/missing.vornj: No such file or directory" \
  --replay "$WORK/missing.vornj" --headless
printf 'This is not a journal.\n' > "$WORK/text.vornj"
expect 1 "$WORK/text.vornj is not a vorn journal" --replay "$WORK/text.vornj" --headless
# The format version, the byte after the magic, changed: the header's
# checksum tells the damage from a newer format.
{ head -c 8 "$GOLDEN"; printf '\x03'; tail -c +10 "$GOLDEN"; } > "$WORK/newer.vornj"
expect 1 "$WORK/newer.vornj has a damaged header" --replay "$WORK/newer.vornj" --headless
head -c 14 "$GOLDEN" > "$WORK/header.vornj"
expect 1 "is cut off inside its header" --replay "$WORK/header.vornj" --headless
# One byte changed in the middle: its block's checksum no longer matches.
size=$(stat -c %s "$GOLDEN")
middle=$((size / 2))
byte=$(od -An -tu1 -j "$middle" -N1 "$GOLDEN" | tr -d ' ')
{
  head -c "$middle" "$GOLDEN"
  printf "\\$(printf '%03o' $((byte ^ 0xFF)))"
  tail -c +$((middle + 2)) "$GOLDEN"
} > "$WORK/damaged.vornj"
cmp -s "$GOLDEN" "$WORK/damaged.vornj" && fail "the damaged copy is the same"
expect 1 "is damaged in block" --replay "$WORK/damaged.vornj" --headless
# A journal whose first event is a wait where the console reads the clock.
printf '\x56\x4f\x52\x4e\x4a\x52\x4e\x4c\x01\x05\x30\x2e\x31\x2e\x30\x80\x0a\x80\x08\x10\xde\x3a\x78\x8b\x01\x02\xa1\x8e\x0c\x3c\x01\x00\x8d\xef\x02\xd2' \
  > "$WORK/parts.vornj"
expect 3 "the replay diverged at event 1 (0.000 s into the recording): the console read the clock where the recording has a wait" \
  --replay "$WORK/parts.vornj" --headless

# --- a journal cut off: replayed to its last whole block, then said --------
head -c $((size - 200)) "$GOLDEN" > "$WORK/cut.vornj"
expect 1 "is cut off after event" --replay "$WORK/cut.vornj" --headless --hash
[[ $OUT =~ ^[0-9a-f]{16}$ ]] || fail "the cut-off replay printed no hash: $OUT"

# --- a picture that cannot be written: refused before the replay ----------
expect 1 "cannot save the picture in $WORK/no/such/folder: No such file or directory" \
  --replay "$GOLDEN" --headless --screenshot "$WORK/no/such/folder/end.png"
[ -z "$OUT" ] || fail "a replay ran before the picture was refused: $OUT"
echo PASS
