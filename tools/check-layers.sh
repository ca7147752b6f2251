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

# The layer of a path relative to the tree: its rank, or the host's folder.
layer() {
  case "$1" in
    platform/*/*) echo "${1%/*}" | cut -d/ -f1-2 ;;
    platform/*) echo 0 ;; display/*) echo 1 ;; model/*) echo 2 ;; radar/*) echo 3 ;;
    boards/*) echo 4 ;; app/*) echo 5 ;; *) echo outside ;;
  esac
}

# Whether FILE may depend on DEPENDENCY (both relative to the tree).
allowed() {
  local from to
  case "$1" in app/main.cpp | app/web_main.cpp) return 0 ;; esac
  from=$(layer "$1")
  to=$(layer "$2")
  case "$from" in
    platform/*) [ "$to" = 0 ] || [ "$to" = "$from" ] ;;
    outside) return 0 ;;
    *) [[ "$to" =~ ^[0-9]$ ]] && [ "$to" -le "$from" ] ;;
  esac
}

bad=0
complain() {
  echo "$1"
  bad=1
}
ERR=$(mktemp)
trap 'rm -f "$ERR"' EXIT
files=$(find . \( -name '*.h' -o -name '*.cpp' \) | sed 's|^\./||' | sort)
[ -n "$files" ] || { echo "layers: no sources in $TREE" >&2; exit 2; }
for file in $files; do
  # The rule's target, then the file and what it depends on.
  if ! deps=$(g++ "${flags[@]}" -x c++ -MM -MT x "$file" 2> "$ERR" | sed -e 's/^x://' -e 's/\\$//'); then
    cat "$ERR" >&2
    complain "$file: g++ could not follow its includes"
    continue
  fi
  sdl=""
  sdl_host=""
  # shellcheck disable=SC2086 # one path a word
  for real in $(realpath -m $deps); do
    case "$real" in
      */SDL2/*) sdl=yes; continue ;;
      "$TREE"/*) rel=${real#"$TREE"/} ;;
      *) continue ;;
    esac
    [ "$rel" = "$file" ] && continue
    [[ "$rel" == platform/sdl/* ]] && sdl_host=yes
    allowed "$file" "$rel" || complain "$file depends on $rel"
  done
  if [ -n "$sdl" ] && [[ "$file" != platform/sdl/* ]] && [ -z "$sdl_host" ]; then
    complain "$file reaches SDL's headers outside the SDL host"
  fi
done
[ "$bad" = 0 ] && echo "layers: every include in $TREE points down"
exit "$bad"
