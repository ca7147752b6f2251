#!/usr/bin/env bash
# Builds the fuzz targets (the `fuzz` preset: clang with libFuzzer,
# AddressSanitizer and UBSan) and runs each for SECONDS (default 60) from
# the seeds in seeds.txt. A crash or a failed property stops the run with the
# input that caused it left in build/fuzz/artifacts.
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
source tools/packages.sh
install_missing g++ clang libclang-rt-dev cmake make pkg-config libsdl2-dev libpng-dev

cmake --preset fuzz > /dev/null
cmake --build --preset fuzz

work=build/fuzz/run
rm -rf "$work"
mkdir -p "$work/artifacts"
while read -r target name hex; do
  case "$target" in '' | '#'*) continue ;; esac
  mkdir -p "$work/seeds/$target"
  hex=${hex// /}
  printf "$(sed 's/../\\x&/g' <<< "$hex")" > "$work/seeds/$target/$name"
done < fuzz/seeds.txt

for target in picture_fuzz canvas_fuzz journal_fuzz; do
  echo "== $target for $seconds s"
  mkdir -p "$work/corpus/$target"
  "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/$target-" \
    "$work/corpus/$target" "$work/seeds/$target" 2> "$work/$target.log" ||
    { tail -n 60 "$work/$target.log"; echo "FAIL: $target"; exit 1; }
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|Done [0-9]+ runs' "$work/$target.log" || true
done
echo "fuzzing passed"
