#!/usr/bin/env bash
# Checks that the include graph of a source tree (default src/) only points
# down: platform door <- display <- model <- radar <- boards <- app <- the
# entry points. The includes are those the compiler follows: `g++ -MM` over
# every source and header with the project's include flags, so any spelling
# of an include counts, and each path is resolved (display/../app/x.h is app).
# Only files under the tree count; system headers do not, except SDL's.
#   - The door is the files directly in platform/; each folder under it is a
#     host. The core (display, model, radar, boards, app) includes its own and
#     lower layers and the door, never a host.
#   - A host includes its own folder and the door only.
#   - The entry points (app/main.cpp, app/web_main.cpp) pick the hosts they
#     run on, and may include any of them.
#   - Only the SDL host reaches SDL's headers (an entry point through it).
# Prints each offending dependency and exits 1 if there is any.
# Usage: bash tools/check-layers.sh [TREE]
set -euo pipefail
TOOLS=$(cd "$(dirname "$0")" && pwd)
TREE=$(realpath "${1:-$TOOLS/../src}")
cd "$TREE"

# emscripten.h is found only when compiling with em++; a stub stands in for
# it, after the system's headers, so that g++ can follow the browser host.
flags=(-std=c++20 -I "$TREE" $(pkg-config --cflags sdl2) -idirafter "$TOOLS/layer-stubs")

ERR=$(mktemp)
trap 'rm -f "$ERR"' EXIT
files=$(find . \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)
[ -n "$files" ] || { echo "layers: no sources in $TREE" >&2; exit 2; }
# One rule a file, its first prerequisite the file itself.
# shellcheck disable=SC2086 # one path a word
if ! deps=$(g++ "${flags[@]}" -x c++ -MM $files 2> "$ERR"); then
  cat "$ERR" >&2
  echo "layers: g++ could not follow the includes"
  exit 1
fi

awk -v tree="$TREE" '
  # A path made absolute and resolved: "." and ".." taken out.
  function resolve(path,    parts, n, i, out, k) {
    if (substr(path, 1, 1) != "/") path = tree "/" path
    n = split(path, parts, "/")
    k = 0
    for (i = 1; i <= n; i++) {
      if (parts[i] == "" || parts[i] == ".") continue
      if (parts[i] == "..") { if (k > 0) k--; continue }
      out[++k] = parts[i]
    }
    path = ""
    for (i = 1; i <= k; i++) path = path "/" out[i]
    return path
  }
  # The layer of a path in the tree: its rank, or the host folder it is in.
  function layer(rel,    parts, n) {
    n = split(rel, parts, "/")
    if (parts[1] == "platform") return n > 2 ? "platform/" parts[2] : 0
    if (parts[1] == "display") return 1
    if (parts[1] == "model") return 2
    if (parts[1] == "radar") return 3
    if (parts[1] == "boards") return 4
    if (parts[1] == "app") return 5
    return "outside"
  }
  function allowed(from, to,    a, b) {
    if (from == "app/main.cpp" || from == "app/web_main.cpp") return 1
    a = layer(from)
    b = layer(to)
    if (a == "outside") return 1
    if (a ~ /^platform\//) return b == "0" || b == a
    return b ~ /^[0-9]$/ && b + 0 <= a + 0
  }
  function complain(message) { print message; bad = 1 }
  function check(rule,    words, n, i, file, path, rel, sdl, sdl_host) {
    n = split(rule, words, /[ \t]+/)
    file = words[2]
    for (i = 3; i <= n; i++) {
      if (words[i] == "") continue
      path = resolve(words[i])
      if (path ~ /\/SDL2\//) { sdl = 1; continue }
      if (index(path, tree "/") != 1) continue
      rel = substr(path, length(tree) + 2)
      if (rel == file) continue
      if (rel ~ /^platform\/sdl\//) sdl_host = 1
      if (!allowed(file, rel)) complain(file " depends on " rel)
    }
    if (sdl && file !~ /^platform\/sdl\// && !sdl_host)
      complain(file " reaches SDL'"'"'s headers outside the SDL host")
  }
  # Rules run over lines ending in a backslash.
  /\\$/ { rule = rule substr($0, 1, length($0) - 1) " "; next }
  { check(rule $0); rule = "" }
  END {
    if (!bad) print "layers: every include in " tree " points down"
    exit bad
  }
' <<< "$deps"
