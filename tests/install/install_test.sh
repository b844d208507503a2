#!/usr/bin/env bash
# The programs as a user gets them: installed with `cmake --install` into a fresh prefix
# (install), or unpacked from the Debian package that `cpack -G DEB` made (package). Both
# check the installed files and start the editor in a level folder elsewhere; the install
# also starts it with one of its media files gone. Exit 77 (skipped) without an X display,
# xdotool and import, or for the package when none was made.
# Usage: install_test.sh install|package BUILD_DIR VERSION
set -euo pipefail
mode=$1 build=$2 version=$3
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
media="pointer.kmo hand.bmp skybox.kmo skybox.bmp mousehelp.bmp mousepointer.bmp guifont.bmp smalfont.bmp"
want="bin/zentrovel bin/zentrovel-tool share/applications/zentrovel.desktop
      share/icons/hicolor/64x64/apps/zentrovel.png share/icons/hicolor/128x128/apps/zentrovel.png
      share/man/man1/zentrovel.1.gz share/man/man1/zentrovel-tool.1.gz $(printf 'share/zentrovel/%s ' $media)"

if [ "$mode" = package ]; then
  deb=$build/zentrovel_${version}_$(dpkg --print-architecture).deb
  [ -f "$deb" ] || { echo "no $deb: run cpack -G DEB in the build folder"; exit 77; }
  [ "$(dpkg-deb --field "$deb" Package)" = zentrovel ] || fail "package name"
  [ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "package version"
  depends=$(dpkg-deb --field "$deb" Depends)
  for lib in libsdl2-2.0-0 libgl1 libc6; do [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"; done
  [ "$(dpkg-deb --field "$deb" Recommends)" = zenity ] || fail "Recommends zenity"
  listing=$(dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./usr/||')
  dpkg-deb -x "$deb" "$work/root"
  prefix=$work/root/usr
else
  prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" >/dev/null
  listing=$(cd "$prefix" && find . -type f | sed 's|^\./||')
fi
for f in $want; do grep -qx "$f" <<< "$listing" || fail "$f is not installed"; done
desktop-file-validate "$prefix/share/applications/zentrovel.desktop" || fail "the desktop entry"
for size in 64 128; do
  file -b "$prefix/share/icons/hicolor/${size}x$size/apps/zentrovel.png" |
    grep -q "^PNG image data, $size x $size, 8-bit/color RGBA" || fail "the ${size}-pixel icon"
done
for page in zentrovel zentrovel-tool; do
  zcat "$prefix/share/man/man1/$page.1.gz" | grep -qi "^\.TH $page 1 .*Zentrovel $version" || fail "man page $page"
done
[ "$("$prefix/bin/zentrovel" --version)" = "zentrovel $version" ] || fail "zentrovel --version"
[ "$("$prefix/bin/zentrovel-tool" --version)" = "zentrovel-tool $version" ] || fail "zentrovel-tool --version"

[ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null && command -v import >/dev/null ||
  { echo "needs an X display, xdotool and import to start the editor"; exit 77; }
level="$work/my level"
"$prefix/bin/zentrovel-tool" new "$level" >/dev/null 2>&1 || "$prefix/bin/zentrovel-tool" demo "$level" >/dev/null
# The level keeps only its own media; the editor's come from the install.
for f in $media; do rm -f "$level/$f" "$level/${f}a"; done

# Starts the installed editor in the level folder, waits for its panel (the bright left third)
# and leaves its standard error in $work/err and its error log in $work/tmp.
start() {
  rm -rf "$work/tmp" && mkdir "$work/tmp"
  (cd "$level" && TMPDIR=$work/tmp exec "$prefix/bin/zentrovel") 2>"$work/err" &
  pid=$!
  local win
  win=$(timeout 30 xdotool search --sync --onlyvisible --pid $pid --name '^Zentrovel' | head -1)
  [ -n "$win" ] || fail "no editor window; standard error: $(cat "$work/err")"
  for _ in $(seq 300); do
    timeout 10 import -window "$win" -crop 1x1+130+590 -depth 8 txt:- 2>/dev/null | grep -q '(2[0-5][0-9],' &&
      return 0
    sleep 0.1
  done
  fail "no panel in the editor's window"
}
stop() { kill -9 $pid; wait $pid 2>/dev/null || true; pid=; }

start
grep "Media file" "$work/err" "$work/tmp/ErrorLog.txt" && fail "the installed editor misses media"
stop
[ "$mode" = package ] && exit 0

rm "$prefix/share/zentrovel/guifont.bmp"
start
kill -0 $pid || fail "the editor ended without its font"
line="Media file \"guifont.bmp\" missing: looked in $prefix/bin/ and $prefix/share/zentrovel/"
grep -qxF "Zentrovel: $line" "$work/err" || fail "standard error: $(cat "$work/err")"
tr -d '\r' < "$work/tmp/ErrorLog.txt" | grep -qxF "$line" || fail "error log: $(cat "$work/tmp/ErrorLog.txt")"
stop
