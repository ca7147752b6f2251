#!/usr/bin/env bash
# Checks that the include graph of src/ only points down the layers:
# platform door <- display <- model <- radar <- boards <- app <- main, that
# the hosts under src/platform/ include nothing but the door and their own
# folder, and that only the SDL host and main include SDL. Prints each
# offending include and exits 1 if there is any.
set -euo pipefail
cd "$(dirname "$0")/../src"
rank() {
  case "$1" in
    platform) echo 0 ;; display) echo 1 ;; model) echo 2 ;; radar) echo 3 ;;
    boards) echo 4 ;; app) echo 5 ;; *) echo 9 ;;
  esac
}
bad=0
while IFS= read -r file; do
  layer=${file%%/*}
  # The entry points pick the host they run on.
  [ "$file" = app/main.cpp ] || [ "$file" = app/web_main.cpp ] && continue
  while IFS= read -r included; do
    target=${included%%/*}
    if [ "$layer" = platform ]; then
      # A host sees the door and the shared helpers beside it, and its own folder.
      sub=$(dirname "$file")
      case "$included" in
        platform/*/*) [[ "$included" == "$sub"/* ]] || { echo "$file includes $included"; bad=1; } ;;
        platform/*) ;;
        *) echo "$file includes $included"; bad=1 ;;
      esac
      continue
    fi
    if [ "$(rank "$target")" -gt "$(rank "$layer")" ]; then
      echo "$file includes $included (points up)"
      bad=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
  if grep -q '#include <SDL' "$file" && [[ "$file" != platform/sdl/* ]]; then
    echo "$file includes SDL"
    bad=1
  fi
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)
[ "$bad" = 0 ] && echo "layers: every include points down"
exit "$bad"
