#!/usr/bin/env bash
# `cmake --install` into a fresh prefix, then the installed player plays the
# installed demo from any folder, after the prefix moved too; the desktop
# entry, icons and man pages are in place and the man pages cover every
# option and command the programs list.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

prefix="$work/first prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/lmplayer bin/lmtool share/lmplayer/demo/kirune.ini share/applications/lmplayer.desktop \
         share/man/man6/lmplayer.6 share/man/man1/lmtool.1; do
  [ -f "$prefix/$f" ] || fail "missing $f"
done
[ -x "$prefix/bin/lmplayer" ] && [ -x "$prefix/bin/lmtool" ] || fail "programs not executable"
# The installed demo is the built one, file for file, and nothing more.
diff -r -x error.log "$build/demo-data" "$prefix/share/lmplayer/demo" >/dev/null || fail "installed demo differs from demo-data"
[ ! -e "$prefix/share/lmplayer/demo/error.log" ] || fail "a stray error.log was installed"

for size in 48 64 128; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/lmplayer.png"
  file "$icon" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" || fail "icon $size: $(file "$icon")"
done

desktop="$prefix/share/applications/lmplayer.desktop"
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop entry: $out"
  [ -z "$out" ] || fail "desktop entry: $out"
fi
grep -qx 'Exec=lmplayer' "$desktop" || fail "desktop entry does not start lmplayer"
grep -qx 'Icon=lmplayer' "$desktop" || fail "desktop entry names another icon"

# Man pages: no formatting warnings, and every option and command is there.
for page in man6/lmplayer.6 man1/lmtool.1; do
  warn=$(groff -man -ww -z "$prefix/share/man/$page" 2>&1) || fail "$page: groff failed"
  [ -z "$warn" ] || fail "$page: $warn"
  ! grep -q '@LM_' "$prefix/share/man/$page" || fail "$page: unsubstituted placeholder"
done
opts=$("$prefix/bin/lmplayer" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ -n "$opts" ] || fail "lmplayer --help lists no options"
for o in $opts; do
  grep -qF -- "$(echo "$o" | sed 's/-/\\-/g')" "$prefix/share/man/man6/lmplayer.6" ||
    fail "lmplayer.6 does not describe $o (add it to packaging/lmplayer.6)"
done
cmds=$("$prefix/bin/lmtool" help | sed -nE 's/^  ([a-z0-9]+)( [a-z]+)?( .*)?$/\1\2/p' | sort -u)
[ -n "$cmds" ] || fail "lmtool help lists no commands"
# Each command's heading in lmtool.1 is "\fBCOMMAND SUB\fR".
while read -r c; do
  grep -qF "\\fB$c\\fR" "$prefix/share/man/man1/lmtool.1" ||
    fail "lmtool.1 does not describe '$c' (add it to packaging/lmtool.1)"
done <<<"$cmds"

# The build tree's player with its demo: the frame the installed one must match.
(cd "$work" && "$build/lmplayer" --data "$build/demo-data" --headless --steps 300 --shot 300:want.png >/dev/null 2>&1)
mkdir "$work/empty"
printf '[DOROVANKA]\n' >"$work/empty/kirune.ini"  # a story's directory, with none of its files
(cd "$work/empty" && "$build/lmplayer" --data "$work/empty" --headless --steps 300 --shot 300:"$work/nodata.png" >/dev/null 2>&1)
! cmp -s "$work/want.png" "$work/nodata.png" || fail "the demo's frame 300 looks like no data at all"

# Any prefix: move the installation, then play from an unrelated folder.
moved="$work/moved/usr"
mkdir -p "$work/moved" "$work/elsewhere"
mv "$prefix" "$moved"
(cd "$work/elsewhere" && "$moved/bin/lmplayer" --headless --steps 300 --shot 300:got.png 2>"$work/err.txt") ||
  fail "installed lmplayer failed: $(cat "$work/err.txt")"
[ ! -s "$work/err.txt" ] || fail "installed lmplayer complained: $(cat "$work/err.txt")"
cmp -s "$work/want.png" "$work/elsewhere/got.png" || fail "the installed player's frame 300 differs from the build tree's"
echo "install_test: installed into a prefix, moved it, played the demo from another folder"
