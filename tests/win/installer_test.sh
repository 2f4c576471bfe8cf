#!/usr/bin/env bash
# The installer's round trip under Wine, in a fresh prefix of its own: the silent install
# puts the files, the shortcut, the verb and the uninstall entry in place; ambrel-cli.exe
# runs from the install folder; the silent uninstall leaves no file and no key behind.
#
# Usage: tests/win/installer_test.sh SETUP.exe SAMPLE.mkv EXPECTED.txt WORK_DIR
set -euo pipefail
setup=$1 sample=$2 expected=$3 work=$4
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true' EXIT
fail() { echo "installer: $*" >&2; exit 1; }

wineboot --init >/dev/null 2>&1 </dev/null || true
wineserver -w

wine "$setup" /S </dev/null >/dev/null 2>&1 || fail "the silent install failed"
wineserver -w
dir=$(find "$WINEPREFIX/drive_c/users" -type d -path '*/AppData/Local/Programs/Ambrel' | head -n1)
[ -n "$dir" ] || fail "no install folder"
for f in ambrel.exe ambrel-cli.exe uninstall.exe README.md windows.md ambrel-cli.txt; do
  [ -f "$dir/$f" ] || fail "$f is not installed"
done
find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Ambrel.lnk' | grep -q . || fail "no Start-menu shortcut"
keys=()
for ext in .mkv .mka .mks .webm; do keys+=("HKCU\\Software\\Classes\\SystemFileAssociations\\$ext\\shell\\Ambrel"); done
keys+=("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ambrel")
for key in "${keys[@]}"; do
  wine reg query "$key" </dev/null >/dev/null 2>&1 || fail "no key $key"
done
wine reg query "${keys[0]}\\command" </dev/null 2>/dev/null | grep -qi 'ambrel.exe" "%1"' ||
  fail "the verb does not run ambrel.exe"

# The installed command-line program reports the sample as the build does (its path aside).
wine "$dir/ambrel-cli.exe" --no-render "$sample" </dev/null >"$work/report.txt" 2>"$work/err.txt" ||
  fail "ambrel-cli.exe failed: $(cat "$work/err.txt")"
diff <(tail -n +2 "$work/report.txt") <(tail -n +2 "$expected") >&2 || fail "the installed ambrel-cli.exe reports differently"

wine "$dir/uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the silent uninstall failed"
wineserver -w  # the uninstaller runs on from a copy of itself
[ ! -e "$dir" ] || fail "left behind: $(find "$dir")"
! find "$WINEPREFIX/drive_c/users" -name 'Ambrel.lnk' | grep -q . || fail "the shortcut is left"
for key in "${keys[@]}" "HKCU\\Software\\Ambrel"; do
  ! wine reg query "$key" </dev/null >/dev/null 2>&1 || fail "the key $key is left"
done
echo "installer: install, run and uninstall passed"
