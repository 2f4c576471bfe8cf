#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop and a shell get from it:
# the programs run, the manual pages format cleanly, bash completes options and media files,
# the icons have the sizes their folders promise, and the desktop entry and AppStream
# metadata pass their validators (checked on the sources when the window is not built).
# The programs start without the media framework's libraries; the installed ambrel-cli
# finds the framework module in the installed library folder and renders with it, and
# runs without a framework when the module is gone.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1 source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# WIDTHxHEIGHT of a PNG file from its signature and IHDR chunk (with coreutils alone), or what it is not.
png_size() {
  [ "$(od -An -tx1 -N8 "$1" | tr -d ' \n')" = 89504e470d0a1a0a ] || { echo "not a PNG file"; return; }
  echo "$(od -An -tu4 --endian=big -j16 -N4 "$1" | tr -d ' ')x$(od -An -tu4 --endian=big -j20 -N4 "$1" | tr -d ' ')"
}

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

"$prefix/bin/ambrel-cli" --version | grep -q '^ambrel-cli ' || fail "installed ambrel-cli does not run"

# The framework's libraries are loaded with the module, not at start.
if command -v ldd >/dev/null && ldd "$prefix/bin/ambrel-cli" | grep -Eq 'lib(glib|gobject|gstreamer)-'; then
  fail "ambrel-cli links the framework's libraries: $(ldd "$prefix/bin/ambrel-cli" | grep -E 'glib|gst')"
fi
if [ -f "$build/ambrel-gstreamer.so" ]; then
  module=$(find "$prefix" -name ambrel-gstreamer.so)
  [ "$(printf '%s\n' "$module" | grep -c .)" = 1 ] || fail "expected one installed module, found: $module"
  case $module in "$prefix"/lib*/ambrel/ambrel-gstreamer.so) ;; *) fail "module installed at $module" ;; esac
  if command -v nm >/dev/null; then
    exported=$(nm -D --defined-only "$module" | awk '$2 ~ /^[TDBRVW]$/ {print $3}' | grep -v '^_' | tr '\n' ' ')
    [ "$exported" = "ambrel_create_media_framework " ] || fail "the module exports: $exported"
  fi
  # The framework host, which loads the module for the analysis, lies beside it.
  [ -x "$(dirname "$module")/ambrel-framework-host" ] || fail "no ambrel-framework-host beside $module"
  sample="$source/tests/data/sample.mkv"
  rendered=$("$prefix/bin/ambrel-cli" "$sample" | tr -d '\r' | grep '^RenderFile with DirectShow : ')
  case $rendered in *"Class not registered"*|"") fail "installed ambrel-cli renders without the framework: $rendered" ;; esac
  mv "$module" "$module.away"
  rendered=$("$prefix/bin/ambrel-cli" "$sample" | tr -d '\r' | grep '^RenderFile with DirectShow : ')
  [ "$rendered" = "RenderFile with DirectShow : Class not registered (0x80040154)" ] ||
    fail "without its module ambrel-cli answers: $rendered"
  mv "$module.away" "$module"
fi

window=0
[ -x "$prefix/bin/ambrel" ] && window=1

pages=("$prefix/share/man/man1/ambrel-cli.1")
[ $window = 1 ] && pages+=("$prefix/share/man/man1/ambrel.1")
for page in "${pages[@]}"; do
  [ -f "$page" ] || { fail "missing $page"; continue; }
  if command -v groff >/dev/null; then
    warnings=$(groff -man -ww -z "$page" 2>&1)
    [ -z "$warnings" ] || fail "$page: $warnings"
  fi
done
# Every option the program's help names is in its manual page.
for option in $("$prefix/bin/ambrel-cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -q -- "${option//-/\\\\-}" "$prefix/share/man/man1/ambrel-cli.1" || fail "ambrel-cli.1 does not mention $option"
done

completion="$prefix/share/bash-completion/completions/ambrel-cli"
if [ -f "$completion" ]; then
  media=$(mktemp -d -p "$prefix")
  touch "$media/a.mkv" "$media/b.webm" "$media/notes.txt"
  mkdir "$media/sub"
  complete_words() {  # prints the completions of the last word of "$@"
    bash -O extglob -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1));
      _ambrel_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@" | sort | tr '\n' ' '
  }
  [ "$(complete_words ambrel-cli --js)" = "--json " ] || fail "completion of --js: $(complete_words ambrel-cli --js)"
  [ "$(complete_words ambrel-cli "$media/")" = "$media/a.mkv $media/b.webm $media/sub " ] ||
    fail "completion of media files: $(complete_words ambrel-cli "$media/")"
  [ "$(complete_words ambrel-cli --save "$media/")" = "$media/sub " ] ||
    fail "completion after --save: $(complete_words ambrel-cli --save "$media/")"
else
  fail "missing $completion"
fi

desktop="$source/resources/desktop/org.ambrel.Ambrel.desktop"
metainfo="$source/resources/desktop/org.ambrel.Ambrel.metainfo.xml"
if [ $window = 1 ]; then
  desktop="$prefix/share/applications/org.ambrel.Ambrel.desktop"
  metainfo="$prefix/share/metainfo/org.ambrel.Ambrel.metainfo.xml"
  icons=$(find "$prefix/share/icons/hicolor" -name 'org.ambrel.Ambrel.*' | wc -l)
  [ "$icons" -ge 1 ] || fail "no icon installed"
  for png in "$prefix"/share/icons/hicolor/*x*/apps/org.ambrel.Ambrel.png; do
    folder=$(basename "$(dirname "$(dirname "$png")")")
    actual=$(png_size "$png")
    [ "$actual" = "$folder" ] || fail "$png is $actual"
  done
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
else
  echo "desktop-file-validate not found: desktop entry not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli validate $metainfo"
else
  echo "appstreamcli not found: AppStream metadata not validated"
fi

[ $failures = 0 ] && echo "install tree checked" && exit 0
exit 1
