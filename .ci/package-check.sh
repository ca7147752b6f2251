#!/usr/bin/env bash
# Builds the Debian package from a release build (no tests, no benchmarks) in
# build/package and checks it: lintian finds no error or warning, its
# contents, its control fields and declared dependencies, the desktop entry,
# the AppStream metadata and the manual page, that the README it installs
# links only to files it installs too, and that the `vorn` it carries,
# unpacked into a scratch root, opens its window and quits cleanly. A plain
# `cmake --install` of a build not made for Debian puts `vorn` in bin/.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=build/package
source tools/xsession.sh

fail() {
  echo "package: FAIL: $*" >&2
  exit 1
}
ok() {
  echo "package: ok: $*"
}
# Runs a command with its output kept in a log, shown only if it fails.
quietly() {
  "$@" > "$WORK/log" 2>&1 || { cat "$WORK/log" >&2; fail "$*"; }
}

# dpkg-buildflags and dpkg-shlibdeps (dpkg-dev) give the build flags and,
# with file, the dependencies; the rest checks the package, the desktop entry
# and the metadata, renders the manual page and shows the window.
packages=(g++ cmake make pkg-config libsdl2-dev libpng-dev dpkg-dev file lintian desktop-file-utils
          appstream man-db groff-base xvfb xdotool imagemagick)
source tools/packages.sh
quietly install_missing "${packages[@]}"

# --- build, install, package -----------------------------------------------
quietly cmake --preset release -B "$BUILD" -DVORN_DEBIAN_PACKAGE=ON \
  -DVORN_BUILD_TESTS=OFF -DVORN_BUILD_BENCHMARKS=OFF
quietly cmake --build "$BUILD" -j2
rm -f "$BUILD"/vorn_*.deb
quietly cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$BUILD"
debs=("$BUILD"/vorn_*_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no vorn_*.deb"
DEB=${debs[0]}
ok "built $DEB"

DOC=./usr/share/doc/vorn
METAINFO=./usr/share/metainfo/org.example.vorn.metainfo.xml
expected=(
  ./usr/games/vorn
  ./usr/share/applications/vorn.desktop
  "$METAINFO"
  ./usr/share/icons/hicolor/48x48/apps/vorn.png
  ./usr/share/icons/hicolor/128x128/apps/vorn.png
  ./usr/share/icons/hicolor/256x256/apps/vorn.png
  ./usr/share/icons/hicolor/scalable/apps/vorn.svg
  ./usr/share/man/man6/vorn.6.gz
  "$DOC/copyright"
  "$DOC/changelog.gz"
  "$DOC/README.md"
)

# --- lintian ------------------------------------------------------------------
# No error or warning, and no info, pedantic or experimental tag either
# unless it is listed here with the reason it is harmless (none is now).
allowed_notes=()
# lintian exits 1 when it finds errors, 2 when it cannot do its work.
code=0
lintian --pedantic --display-info --display-experimental --info --tag-display-limit 0 "$DEB" \
  > "$WORK/lintian" 2> "$WORK/lintian.err" || code=$?
grep -v 'running with root privileges' "$WORK/lintian.err" >&2 || true
[ "$code" -le 1 ] || fail "lintian could not check the package (exit code $code)"
sed 's/^/package: lintian: /' "$WORK/lintian"
if grep -q '^[EW]: ' "$WORK/lintian"; then
  fail "lintian reports errors or warnings"
fi
while read -r tag; do
  printf '%s\n' "${allowed_notes[@]}" | grep -qxF "$tag" || fail "lintian reports $tag, not known to be harmless"
done < <(sed -n 's/^[IPX]: vorn[^:]*: \([^ ]*\).*/\1/p' "$WORK/lintian" | sort -u)
ok "lintian --pedantic -I -E: no error or warning, no other tag"

# `cmake --install` lays out the same tree under any prefix.
quietly cmake --install "$BUILD" --prefix "$WORK/stage/usr"
for path in "${expected[@]}"; do
  [ -f "$WORK/stage/${path#./}" ] || fail "cmake --install did not install ${path#./usr/}"
done
ok "cmake --install of the package build puts games/vorn and the rest in place"

# A build not made for Debian installs the program in bin/ and its desktop
# entry runs it from the PATH.
PLAIN=build/package-plain
quietly cmake --preset release -B "$PLAIN" -DVORN_BUILD_TESTS=OFF -DVORN_BUILD_BENCHMARKS=OFF
quietly cmake --build "$PLAIN" -j2
quietly cmake --install "$PLAIN" --prefix "$WORK/plain"
[ -x "$WORK/plain/bin/vorn" ] || fail "a plain cmake --install does not put vorn in bin/"
grep -qx 'Exec=vorn' "$WORK/plain/share/applications/vorn.desktop" || fail "the plain desktop entry does not run vorn"
ok "a plain cmake --install puts vorn in bin/, and its desktop entry runs vorn"

# --- contents and control fields -------------------------------------------
dpkg-deb -c "$DEB" | awk '{print $NF}' > "$WORK/contents"
for path in "${expected[@]}"; do
  grep -qxF "$path" "$WORK/contents" || fail "$DEB lacks $path"
done
ok "contents: games/vorn, the desktop entry, the metadata, four icons, the manual page, copyright and changelog"

dpkg-deb -I "$DEB" > "$WORK/info"
grep -q "^ Depends: " "$WORK/info" || fail "dpkg-deb -I shows no Depends"
field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Package)" = vorn ] || fail "Package is '$(field Package)'"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ "$(field Maintainer)" = "vorn developers <vorn@example.org>" ] || fail "Maintainer is '$(field Maintainer)'"
[ -n "$(field Description)" ] || fail "no Description"
DEPENDS=$(field Depends)
# Every dependency is a Debian package of this release at a version that
# satisfies it (they are installed here, since the build links against them).
names=()
IFS=',' read -ra deps <<< "$DEPENDS"
for dep in "${deps[@]}"; do
  dep=$(sed 's/^ *//; s/ *$//' <<< "$dep")
  name=${dep%% *}
  names+=("$name")
  have=$(dpkg-query -W -f='${Version}' "$name" 2>/dev/null) || fail "dependency $name is not a known package"
  if [[ $dep =~ \(([<>=]+)\ *([^\)]+)\) ]]; then
    op=${BASH_REMATCH[1]}
    want=${BASH_REMATCH[2]}
    case $op in '>=') op=ge ;; '<=') op=le ;; '>>') op=gt ;; '<<') op=lt ;; '=') op=eq ;; esac
    dpkg --compare-versions "$have" "$op" "$want" || fail "$name $have does not satisfy $dep"
  fi
done
for lib in libsdl2-2.0-0 libc6 libstdc++6 libgcc-s1; do
  printf '%s\n' "${names[@]}" | grep -qxF "$lib" || fail "Depends lacks $lib: $DEPENDS"
done
ok "control: Package vorn, Section games, Depends: $DEPENDS"

# The changelog's and the metadata's latest release are the package's version.
VERSION=$(field Version)
ROOT=$WORK/root
dpkg -x "$DEB" "$ROOT"
logged=$(zcat "$ROOT/${DOC#./}/changelog.gz" | sed -n '1s/^vorn (\([^)]*\)).*/\1/p')
[ "$logged" = "$VERSION" ] || fail "the changelog's latest entry is '$logged', the package $VERSION"
grep -q "<release version=\"$VERSION\"" "$ROOT/${METAINFO#./}" || fail "the AppStream metadata has no release $VERSION"
ok "the changelog and the AppStream metadata name release $VERSION"

# --- desktop entry, metadata and manual page, as packaged ------------------
desktop-file-validate "$ROOT/usr/share/applications/vorn.desktop" || fail "desktop entry is not valid"
grep -qx 'Exec=/usr/games/vorn' "$ROOT/usr/share/applications/vorn.desktop" || fail "desktop entry does not run /usr/games/vorn"
grep -qx 'Icon=vorn' "$ROOT/usr/share/applications/vorn.desktop" || fail "desktop entry does not name the vorn icon"
ok "desktop entry is valid"

appstreamcli validate --no-net --pedantic "$ROOT/${METAINFO#./}" > "$WORK/appstream" 2>&1 \
  || { cat "$WORK/appstream" >&2; fail "AppStream metadata is not valid"; }
grep -q '<launchable type="desktop-id">vorn.desktop</launchable>' "$ROOT/${METAINFO#./}" \
  || fail "AppStream metadata does not name the desktop entry"
ok "AppStream metadata is valid"

# Every relative link in the installed README (Markdown's and HTML's
# pictures alike) leads to an installed file.
links=0
while read -r link; do
  [ -f "$ROOT/${DOC#./}/$link" ] || fail "the installed README links to $link, which the package lacks"
  links=$((links + 1))
done < <({ grep -o '](\([^)#:]*\))' "$ROOT/${DOC#./}/README.md" | sed 's/^](//; s/)$//'
          grep -o 'src="[^"#:]*"' "$ROOT/${DOC#./}/README.md" | sed 's/^src="//; s/"$//'; })
[ "$links" -gt 0 ] || fail "found no link in the installed README (the screenshot's, at least)"
ok "the installed README's $links links lead to installed files"

MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$ROOT/usr/share/man/man6/vorn.6.gz" \
  > "$WORK/man.txt" 2> "$WORK/man.err" || fail "man -l failed: $(cat "$WORK/man.err")"
[ ! -s "$WORK/man.err" ] || fail "man -l warns: $(cat "$WORK/man.err")"
for heading in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" ENVIRONMENT FILES; do
  grep -qx "$heading" "$WORK/man.txt" || fail "manual page has no $heading"
done
grep -q '^VORN(6)' "$WORK/man.txt" || fail "manual page is not in section 6"
ok "manual page renders without warnings"

# --- the packaged program opens its window ---------------------------------
start_private_display
start_vorn_window "$ROOT/usr/games/vorn"
# The RED lamp, lit from the start, shows that the console is drawn.
import -window "$WINDOW" "$WORK/shot.png"
red=$(convert "$WORK/shot.png" -format '%[fx:int(255*p{500,15}.r)],%[fx:int(255*p{500,15}.g)]' info:)
[ "$red" = "255,0" ] || fail "the packaged vorn's RED lamp reads $red"
# The window may be gone before xdotool sends the key's release.
xdotool key --window "$WINDOW" q 2>/dev/null || true
for _ in $(seq 100); do
  kill -0 "$VORN_PID" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$VORN_PID" 2>/dev/null && fail "the packaged vorn did not end on q"
code=0
wait "$VORN_PID" || code=$?
VORN_PID=""
[ "$code" = 0 ] || fail "the packaged vorn ended with code $code"
ok "the packaged vorn opens its window, draws the console and ends on q with code 0"
