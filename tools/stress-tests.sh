#!/usr/bin/env bash
# Runs the whole test suite (the debug build's ctest) N times in a row with
# two busy processes beside it, as on a loaded 2-core CI machine. Stops at the
# first run that fails. Each run's ctest summary is printed; the full logs
# stay in build/debug/stress/.
#   --windows  only the tests of real windows and the browser: the end-to-end
#              tests, the browser tests and the journal's window recordings and replays
#   -R REGEX   only the tests whose names match (as ctest's -R)
#   --no-busy  without the busy processes, as on a quiet machine
# Usage: bash tools/stress-tests.sh [--windows | -R REGEX] [--no-busy] [N]
# (N defaults to 5)
set -uo pipefail
cd "$(dirname "$0")/.."

SELECT=()
BUSY_COUNT=2
while [ $# -gt 0 ]; do
  case "$1" in
    --windows) SELECT=(-R '^(e2e\.|web\.browser$|journal\.(record_window|record_faults|replay_window)$)'); shift ;;
    -R) SELECT=(-R "$2"); shift 2 ;;
    --no-busy) BUSY_COUNT=0; shift ;;
    *) break ;;
  esac
done
RUNS=${1:-5}
[[ $RUNS =~ ^[1-9][0-9]*$ ]] ||
  { echo "usage: bash tools/stress-tests.sh [--windows | -R REGEX] [--no-busy] [N]" >&2; exit 2; }

LOGS=build/debug/stress
mkdir -p "$LOGS"
rm -f "$LOGS"/run-*.log
if ! { cmake --preset debug && cmake --build --preset debug -j2; } > "$LOGS/build.log" 2>&1; then
  tail -n 30 "$LOGS/build.log" >&2
  echo "stress: the debug build failed; its log: $LOGS/build.log" >&2
  exit 1
fi

# The busy processes are ended by their process ids when the script ends,
# however it ends (Ctrl-C reaches ctest and its tests directly).
BUSY=()
stop_busy() {
  for pid in "${BUSY[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  BUSY=()
}
trap stop_busy EXIT
trap 'echo "stress: interrupted" >&2; exit 130' INT TERM HUP

for _ in $(seq "$BUSY_COUNT"); do
  yes > /dev/null &
  BUSY+=("$!")
done
echo "stress: $RUNS runs of ${SELECT[1]:-the suite} beside $BUSY_COUNT busy processes ${BUSY[*]:+(pids ${BUSY[*]})}"

# What ctest said at the end of a run: the count, the failed tests, the time.
summary() {
  grep -E '^[0-9]+% tests passed|^The following tests|^[[:space:]]+[0-9]+ - |^Total Test time|^Errors while running' "$1" |
    sed 's/^/    /'
}

for run in $(seq "$RUNS"); do
  log=$LOGS/run-$run.log
  started=$SECONDS
  code=0
  ctest --preset debug "${SELECT[@]}" > "$log" 2>&1 || code=$?
  if [ "$code" = 0 ]; then
    echo "run $run of $RUNS: passed ($((SECONDS - started)) s)"
    summary "$log"
  else
    echo "run $run of $RUNS: FAILED ($((SECONDS - started)) s, ctest exit code $code)"
    summary "$log"
    echo "stress: run $run failed; its log: $log" >&2
    exit 1
  fi
done
echo "stress: all $RUNS runs passed"
