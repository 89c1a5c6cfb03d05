#!/usr/bin/env bash
# Checks the release package: unzips the newest dist/qzsetup-*-win64.zip into an empty
# folder and starts qzctl.exe --version and qzsetup.exe from there under Wine, so the
# package is known to need nothing beside its own files.
#   tests/integration/cli_package_test.sh WIN-BUILD-DIR   (its Wine prefix is used)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win=$(cd "${1:-$root/build/win}" && pwd)
zip=$(ls -t "$root"/dist/qzsetup-*-win64.zip 2>/dev/null | head -n1)
[ -n "$zip" ] || { echo "package test: no dist/qzsetup-*-win64.zip; run scripts/package" >&2; exit 1; }
source "$root/scripts/wine-env"
qz_display_init
qz_wine_init "$win"

here=$(mktemp -d)
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  qz_display_stop
  rm -rf "$here"
}
trap cleanup EXIT
fail() { echo "package test: FAILED: $*" >&2; exit 1; }

unzip -q "$zip" -d "$here"
cd "$here"/qzsetup-*-win64 || fail "no top folder in $(basename "$zip")"
for f in qzsetup.exe qzctl.exe res_STD.dll ParmDef.cfg ParmDefL.cfg Sample.PRM Sample.PNT README.txt; do
  [ -f "$f" ] || fail "$f missing"
done
grep -q "MOVE THE MACHINE" README.txt || fail "README.txt has no safety note"
grep -q "機械を実際に動かします" README.txt || fail "README.txt has no Japanese safety note"

# qzctl.exe: the version of the package's name, from the program's one version.
version=$(basename "$zip" | sed 's/^qzsetup-\(.*\)-win64\.zip$/\1/')
got=$(wine qzctl.exe --version 2>/dev/null | tr -d '\r')
[ "$got" = "qzctl Ver $version" ] || fail "qzctl.exe --version printed '$got', not 'qzctl Ver $version'"
# It reads the packaged definitions and data files from this folder.
wine qzctl.exe params check Sample.PRM >/dev/null 2>&1 || fail "qzctl.exe params check Sample.PRM failed"

# qzsetup.exe: started from the folder (no COM port mapped), it must come up with its
# main window, titled from the resource library; a missing library or definition
# file would end in a message box captioned only "セットアップツール".
wine qzsetup.exe >/dev/null 2>&1 &
app=$!
title="ＱＺ××× セットアップツール"
shown() { local tree; tree=$(xwininfo -root -tree 2>/dev/null || true); [[ $tree == *"$title"* ]]; }
for _ in $(seq 1 60); do
  shown && break
  kill -0 "$app" 2>/dev/null || fail "qzsetup.exe ended on its own"
  sleep 0.5
done
shown || fail "qzsetup.exe showed no main window"
echo "package test: $(basename "$zip") runs from an empty folder"
