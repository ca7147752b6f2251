#!/usr/bin/env bash
# The layer check passes on src/ and on a small clean tree, and fails on that
# tree with any one of the planted includes in tests/tools/layers/planted/
# added: each folder there holds one bad.cpp that reaches where it may not,
# written the ways a pattern over the source text would miss.
set -uo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
CHECK=$HERE/../../tools/check-layers.sh
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

bash "$CHECK" > "$WORK/out" 2>&1 || { cat "$WORK/out"; fail "src/ does not pass"; }
bash "$CHECK" "$HERE/layers/base" > "$WORK/out" 2>&1 || { cat "$WORK/out"; fail "the clean tree does not pass"; }

for planted in "$HERE"/layers/planted/*/; do
  name=$(basename "$planted")
  tree=$WORK/$name
  cp -r "$HERE/layers/base" "$tree"
  cp -r "$planted"/. "$tree"
  if bash "$CHECK" "$tree" > "$WORK/out" 2>&1; then
    fail "$name passes"
  elif ! grep -q 'bad.cpp \(depends on\|reaches SDL\)' "$WORK/out"; then
    cat "$WORK/out"
    fail "$name fails without naming bad.cpp's include"
  else
    echo "ok: $name fails: $(grep -m1 'bad.cpp' "$WORK/out")"
  fi
done
[ "$failures" = 0 ] || { echo "$failures layer check cases failed"; exit 1; }
echo "layers: src/ and the clean tree pass, every planted include fails"
