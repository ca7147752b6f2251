#!/usr/bin/env bash
# Recordings in the real window under Xvfb, hit by what happens to real
# machines, each kind of fault a table of cases:
#  - killed outright (kill -9) at twenty random moments: each NAME.part
#    replays to its last whole block, says it was cut off, and has lost at
#    most the last half second of events (measured against the clock the
#    recording reads; the bound here allows a busy machine a second more);
#  - a full disk (ulimit -f) and an I/O error at several offsets, and a
#    failed sync at the close: the bytes written before stay, the message
#    names the file and where the recording is kept;
#  - the journal's name taken by another file meanwhile: that file is left
#    as it is and the whole recording is kept as NAME.part;
#  - SIGINT, SIGTERM and SIGHUP: the console ends the way q ends it, the
#    journal is whole and replays to exit status 0; a plain run and a window
#    replay end with 0 too.
# Arguments: the vorn binary, journal_probe, the write-fault library.
set -Eeuo pipefail
VORN=$1
PROBE=$2
FAULT=$3
source "$(dirname "$0")/../../tools/xsession.sh"
source "$(dirname "$0")/session.sh"

start_display_held
show_vorn_on_error

# Moves the pointer about while vorn runs, so the journal has input in it
# (in a shell of its own: a subshell would run this one's exit trap).
stir() {
  bash -c 'while kill -0 "$0" 2>/dev/null; do
    xdotool mousemove --window "$1" $((100 + RANDOM % 1000)) $((100 + RANDOM % 800)) 2>/dev/null
    sleep 0.05
  done' "$VORN_PID" "$WINDOW" &
  STIR_PID=$!
}
unstir() {
  kill "$STIR_PID" 2>/dev/null || true
  wait "$STIR_PID" 2>/dev/null || true
}

# Runs the given vorn, which ends by itself when its disk fails (maybe
# before its window shows anything), and waits for it to end.
run_until_it_ends() {
  "$1" > "$WORK/vorn.out" 2> "$WORK/vorn.err" &
  VORN_PID=$!
  wait_vorn 120
}

# replays FILE STATUS: the headless replay of FILE ends with STATUS and
# prints a hash.
replays() {
  local status=0
  "$VORN" --replay "$1" --headless > "$WORK/replay.out" 2> "$WORK/replay.err" || status=$?
  [ "$status" = "$2" ] || fail "the replay of $1 ended with $status: $(cat "$WORK/replay.err")"
  [[ $(cat "$WORK/replay.out") =~ ^[0-9a-f]{16}$ ]] || fail "the replay of $1 printed no hash"
}

# --- kill -9 at twenty random moments ---------------------------------------
seed=${VORN_FAULT_SEED:-$$}
RANDOM=$seed
worst=0
for case in $(seq "${VORN_KILLS:-20}"); do
  J=$WORK/killed-$case.vornj
  start_vorn_with "$VORN" --record "$J"
  stir
  # A random moment 0.5 to 4 s after the console first showed.
  sleep "$((RANDOM % 8 / 2)).$((RANDOM % 10))5"
  kill -0 "$VORN_PID" 2>/dev/null || fail "recording $case ended by itself"
  # The clock the recording reads, just before the kill.
  killed_at=$(python3 -c 'import os, sys, time
t = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
os.kill(int(sys.argv[1]), 9)
print("%.6f" % t)' "$VORN_PID")
  wait "$VORN_PID" 2>/dev/null || true
  VORN_PID=""
  unstir
  [ -e "$J" ] && fail "killed recording $case stands under its name"
  replays "$J.part" 1
  grep -q "is cut off after event .* replayed up to its last whole block" "$WORK/replay.err" ||
    fail "killed recording $case: $(cat "$WORK/replay.err")"
  read -r how events last < <("$PROBE" "$J.part")
  [ "$how" = cut-off ] && [ "$events" -gt 0 ] || fail "killed recording $case reads as $how with $events events"
  lost=$(awk -v k="$killed_at" -v l="$last" 'BEGIN { printf "%.3f", k - l }')
  awk -v lost="$lost" 'BEGIN { exit !(lost >= 0 && lost < 1.5) }' ||
    fail "killed recording $case lost $lost s of events"
  worst=$(awk -v a="$worst" -v b="$lost" 'BEGIN { print (b > a) ? b : a }')
done
echo "ok: twenty recordings killed (seed $seed): each replays to its last whole block; at most $worst s lost"

# --- full disk and I/O errors at several offsets ----------------------------
# ulimit -f counts 512-byte blocks in sh; the signal for a file too large is
# ignored, so the write fails as on a full disk.
for blocks in 2 5 9; do
  J=$WORK/full-$blocks.vornj
  printf '#!/bin/sh\ntrap "" XFSZ\nulimit -f %d\nexec %q --record %q\n' "$blocks" "$VORN" "$J" > "$WORK/vorn-full"
  chmod +x "$WORK/vorn-full"
  run_until_it_ends "$WORK/vorn-full"
  [ "$EXIT_CODE" = 1 ] || fail "vorn with $blocks blocks of disk ended with $EXIT_CODE"
  [ "$(cat "$WORK/vorn.err")" = "vorn: cannot write $J.part: File too large; the recording up to then is kept in $J.part, which replays up to its last whole block" ] ||
    fail "with $blocks blocks of disk vorn said: $(cat "$WORK/vorn.err")"
  [ "$(stat -c %s "$J.part")" = $((blocks * 512)) ] || fail "$J.part holds $(stat -c %s "$J.part") bytes"
  replays "$J.part" 1
done
echo "ok: full disk at 1, 2.5 and 4.5 KB: every byte written kept"

export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0"
for fault in "100 5 Input/output error" "1500 5 Input/output error" "3000 28 No space left on device"; do
  read -r at errno text <<< "$fault"
  J=$WORK/fault-$at.vornj
  printf '#!/bin/sh\nexec' > "$WORK/vorn-fault"
  printf ' %q' env LD_PRELOAD="$FAULT" VORN_FAULT_FILE="$J.part" VORN_FAULT_AT="$at" \
    VORN_FAULT_ERRNO="$errno" "$VORN" --record "$J" >> "$WORK/vorn-fault"
  chmod +x "$WORK/vorn-fault"
  run_until_it_ends "$WORK/vorn-fault"
  [ "$EXIT_CODE" = 1 ] || fail "vorn with a disk failing at $at ended with $EXIT_CODE"
  [ "$(cat "$WORK/vorn.err")" = "vorn: cannot write $J.part: $text; the recording up to then is kept in $J.part, which replays up to its last whole block" ] ||
    fail "with a disk failing at $at vorn said: $(cat "$WORK/vorn.err")"
  [ "$(stat -c %s "$J.part")" = "$at" ] || fail "$J.part holds $(stat -c %s "$J.part") bytes, not $at"
  replays "$J.part" 1
done
echo "ok: I/O errors at 100, 1500 and 3000 bytes: every byte written kept"

# The disk fails inside the header, before the window: nothing is left.
J=$WORK/header.vornj
status=0
env LD_PRELOAD="$FAULT" VORN_FAULT_FILE="$J.part" VORN_FAULT_AT=10 "$VORN" --record "$J" 2> "$WORK/vorn.err" || status=$?
[ "$status" = 1 ] && [ "$(cat "$WORK/vorn.err")" = "vorn: cannot write $J.part: Input/output error" ] ||
  fail "a disk failing in the header: $status $(cat "$WORK/vorn.err")"
[ -e "$J.part" ] && fail "$J.part, holding no recording, was left"
echo "ok: a disk failing in the header: refused before the window, nothing left"

# The sync at the close fails: the whole recording stays as NAME.part.
J=$WORK/sync.vornj
start_vorn_with env LD_PRELOAD="$FAULT" VORN_FAULT_FILE="$J.part" VORN_FAULT_SYNC=1 "$VORN" --record "$J"
press_ending_key q
wait_vorn 30
[ "$EXIT_CODE" = 1 ] && [ "$(cat "$WORK/vorn.err")" = "vorn: cannot write $J.part: Input/output error; the whole recording is kept in $J.part" ] ||
  fail "a failed sync: $EXIT_CODE $(cat "$WORK/vorn.err")"
replays "$J.part" 0
echo "ok: a failed sync at the close: the whole recording kept as $J.part"

# --- the journal's name taken meanwhile -------------------------------------
J=$WORK/taken.vornj
start_vorn_with "$VORN" --record "$J"
printf 'another recorder got here first' > "$J"
press_ending_key q
wait_vorn 30
[ "$EXIT_CODE" = 1 ] && [ "$(cat "$WORK/vorn.err")" = "vorn: cannot name the journal $J: a file of that name came to stand there; the whole recording is kept in $J.part" ] ||
  fail "a name taken meanwhile: $EXIT_CODE $(cat "$WORK/vorn.err")"
[ "$(cat "$J")" = 'another recorder got here first' ] || fail "the other file was changed"
replays "$J.part" 0
echo "ok: a name taken meanwhile: the other file untouched, the recording kept as $J.part"

# --- signals ----------------------------------------------------------------
# signal NAME [CLICK_X CLICK_Y]: a recording, taken somewhere by the click
# (Text: the help pages; Pause), ended by the signal.
for case in "INT" "TERM 975 5" "HUP 880 5"; do
  read -r signal x y <<< "$case"
  J=$WORK/signal-$signal.vornj
  start_vorn_with "$VORN" --record "$J"
  xdotool mousemove --window "$WINDOW" 300 700
  [ -n "$x" ] && press "$x" "$y" 0.3
  kill "-$signal" "$VORN_PID"
  wait_vorn 30
  [ "$EXIT_CODE" = 0 ] || fail "SIG$signal ended the recording with $EXIT_CODE"
  [ -s "$WORK/vorn.err" ] && fail "SIG$signal: vorn said $(cat "$WORK/vorn.err")"
  [ -e "$J.part" ] && fail "SIG$signal left $J.part"
  replays "$J" 0
  echo "ok: SIG$signal: the recording is whole and replays to exit status 0"
done

start_vorn_with "$VORN"
still_running() {
  kill -0 "$VORN_PID" 2>/dev/null && return
  local status=0
  wait "$VORN_PID" || status=$?
  VORN_PID=""
  fail "vorn ended by itself, with status $status, before the signal"
}
still_running
kill -TERM "$VORN_PID"
wait_vorn 30
[ "$EXIT_CODE" = 0 ] || fail "SIGTERM ended a plain run with $EXIT_CODE"
# The golden session lasts minutes: long enough to be still playing here.
start_replay_with "$VORN" --replay "$(dirname "$0")/../data/golden.vornj"
still_running
kill -INT "$VORN_PID"
wait_vorn 30
[ "$EXIT_CODE" = 0 ] && [[ $(cat "$WORK/vorn.out") =~ ^[0-9a-f]{16}$ ]] ||
  fail "SIGINT ended a window replay with $EXIT_CODE"
echo "ok: SIGTERM ends a plain run, SIGINT a window replay, with status 0"
echo PASS
