#!/usr/bin/env bash
# Checks the layer rule of the sources: a file includes only files of its own folder and
# of the folders below it that its folder may use, and only folders that reach the
# operating system or other libraries include headers beyond the C and C++ standard ones.
# Prints every include that breaks the rule and fails when there is one.
#
# Usage: tools/check-layers.sh [source folder] [layer...]
# With layers given (the order the top CMakeLists.txt writes down), it also fails when
# they are not the order written here.
set -euo pipefail

root=${1:-$(dirname "$0")/..}
shift || true

# The layers, lowest first: each folder with the folders it may use, all of them listed
# before it. A subfolder listed here is a layer of its own; any other subfolder belongs
# to its parent's.
rules='
base:
io: base
com: base
report: base
matroska: base io report
xml: base io
resources:
codecdb: base io xml resources
media: base io com
media/world: base io com media
media/gst: base io com media
media/dshow: base io com media
machine: base io com
machine/win: base io com machine
sysinfo: base io com report machine machine/win
dshow: base io com report media
host: base io com report media media/world dshow
app/analysis: base io com report matroska xml resources codecdb media dshow host
app/cli: base io com report matroska xml resources codecdb media media/world machine sysinfo dshow host app/analysis
app/form: base io com report matroska xml resources codecdb media machine sysinfo dshow host app/analysis
app/window: base io com report matroska xml resources codecdb media machine sysinfo dshow host app/analysis app/form
'
# Folders that may include system and third-party headers (POSIX, GStreamer, JSON, Qt).
system_folders=' io media media/world media/gst media/dshow host machine machine/win app/cli app/window '
# Folders that are not product code.
not_layers=' tests fuzz bench tools scripts docs cmake '

cd "$root"
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' 2>/dev/null ||
                     find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||')
if [ ${#files[@]} = 0 ]; then
  echo "layers: no sources found in $root" >&2
  exit 1
fi
awk -v rules="$rules" -v system_folders="$system_folders" -v given="$*" -v not_layers="$not_layers" '
function folder_of(path,   best, f) {
  best = ""
  for (f in allowed)
    if (index(path, f "/") == 1 && length(f) > length(best)) best = f
  return best
}
function fail(msg) { print msg; bad = 1 }
BEGIN {
  n = split(rules, lines, "\n")
  order = ""
  for (i = 1; i <= n; ++i) {
    if (lines[i] == "") continue
    split(lines[i], parts, ":")
    f = parts[1]
    allowed[f] = " " parts[2] " "
    m = split(parts[2], uses, " ")
    for (j = 1; j <= m; ++j)
      if (!(uses[j] in rank)) fail("layers: " f " uses " uses[j] ", which is not listed before it")
    rank[f] = ++count
    order = order (order == "" ? "" : " ") f
  }
  if (given != "" && given != order) fail("layers: the build lists \"" given "\"; the check lists \"" order "\"")
}
FNR == 1 {
  here = folder_of(FILENAME)
  if (here == "") {
    split(FILENAME, top, "/")
    if (index(not_layers, " " top[1] " ") == 0) fail(FILENAME ": folder " top[1] " is in no layer")
  }
}
here == "" { next }
/^[ \t]*#[ \t]*include[ \t]*"/ {
  match($0, /"[^"]+"/)
  target = substr($0, RSTART + 1, RLENGTH - 2)
  there = folder_of(target)
  if (there == "") {
    if (index(target, "/") == 0) next  # a file beside this one
    fail(FILENAME ":" FNR ": includes " target ", outside every layer")
  } else if (there != here && index(allowed[here], " " there " ") == 0) {
    fail(FILENAME ":" FNR ": " here " may not include " target)
  }
  next
}
/^[ \t]*#[ \t]*include[ \t]*</ {
  if (index(system_folders, " " here " ")) next
  match($0, /<[^>]+>/)
  header = substr($0, RSTART + 1, RLENGTH - 2)
  if (header ~ /\// || header ~ /^(unistd|fcntl|dlfcn|pthread|dirent)\.h$/)
    fail(FILENAME ":" FNR ": " here " may use the standard library only, not <" header ">")
}
END { exit bad }
' "${files[@]}"
