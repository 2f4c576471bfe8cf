#!/usr/bin/env bash
# Times ambrel-cli end to end on the sample files against other programs, each run as a
# whole process, and prints the median of each with the ratios to ambrel-cli:
#   - the file report alone (--no-render) against `head -c 65536` of the same file (the
#     cost of reading the file's head: target at most 1.3x as long) and against mkvinfo,
#     mediainfo and ffprobe when installed (target at least 10x faster than each);
#   - the whole analysis (media framework start, RenderFile check and detailed rendering
#     included) against gst-discoverer-1.0 when installed (target: faster).
# Each comparison is marked PASS or FAIL and the last line counts the misses, so a
# regression shows in one run; the exit status is 1 when a target is missed. The runs of
# ambrel-cli and head are interleaved, so that a change of the machine's load touches both
# alike.
# Usage: bench/compare_tools.sh [RUNS] (default 21 runs per file and program)
#        AMBREL_CLI=path/to/ambrel-cli bench/compare_tools.sh (default build/ambrel-cli)
#        AMBREL_REPORT_ONLY=1 bench/compare_tools.sh: the file report's comparisons alone
set -euo pipefail
export LC_ALL=C  # the decimal point of $EPOCHREALTIME and of the figures
cd "$(dirname "$0")/.."
runs=${1:-21}
cli=${AMBREL_CLI:-build/ambrel-cli}
if [ ! -x "$cli" ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build --target ambrel-cli -j"$(nproc)" >/dev/null
fi
mapfile -t files < <(ls tests/data/*.mk[vas] tests/data/*.webm 2>/dev/null)

declare -A tools=()
command -v mkvinfo >/dev/null && tools[mkvinfo]="mkvinfo"
command -v mediainfo >/dev/null && tools[mediainfo]="mediainfo"
command -v ffprobe >/dev/null && tools[ffprobe]="ffprobe -v quiet -show_format -show_streams -show_chapters"

# Runs each command line of "$@" (one string each, plus the file as last argument) $runs
# times, interleaved in rotating order, after one warm-up run each; sets medians[i] to the median wall time
# of command i in milliseconds. Timed with the shell's clock: no process is started
# besides the one measured.
declare -a medians
time_interleaved() {
  local file=$1
  shift
  local -a commands=("$@") samples=()
  local i k r start n=${#commands[@]}
  for ((i = 0; i < n; i++)); do ${commands[i]} "$file" >/dev/null 2>&1 || true; done
  for ((r = 0; r < runs; r++)); do
    # Each round starts with the next command, so that none always follows the same one.
    for ((k = 0; k < n; k++)); do
      i=$(((r + k) % n))
      start=$EPOCHREALTIME
      ${commands[i]} "$file" >/dev/null 2>&1 || true
      samples[i]+="$start $EPOCHREALTIME "
    done
  done
  medians=()
  for ((i = 0; i < ${#commands[@]}; i++)); do
    medians[i]=$(echo "${samples[i]}" | awk '{ for (j = 1; j < NF; j += 2) print ($(j + 1) - $j) * 1000 }' | sort -n |
      awk '{ v[NR] = $1 } END { printf "%.3f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
  done
}

failures=0
# Prints one comparison: file, the other program, its median, ambrel-cli's median, the
# ratio and whether it meets the target. Kind "atmost": ambrel-cli may take at most
# Limit times as long; "faster": the other program must take at least Limit times as long.
report() {
  local file=$1 name=$2 other=$3 ours=$4 kind=$5 limit=$6 ratio verdict
  if [ "$kind" = atmost ]; then
    ratio=$(awk -v a="$ours" -v b="$other" 'BEGIN { printf "%.2f", a / b }')
    verdict=$(awk -v r="$ratio" -v l="$limit" 'BEGIN { print (r <= l ? "PASS" : "FAIL") }')
    printf '%-24s %-20s %10s %10s %8sx as long (target <= %sx) %s\n' "$file" "$name" "$other" "$ours" "$ratio" "$limit" "$verdict"
  else
    ratio=$(awk -v a="$other" -v b="$ours" 'BEGIN { printf "%.2f", a / b }')
    verdict=$(awk -v r="$ratio" -v l="$limit" 'BEGIN { print (r >= l ? "PASS" : "FAIL") }')
    printf '%-24s %-20s %10s %10s %8sx faster  (target >= %sx) %s\n' "$file" "$name" "$other" "$ours" "$ratio" "$limit" "$verdict"
  fi
  [ "$verdict" = PASS ] || failures=$((failures + 1))
}

echo "Medians of $runs runs, milliseconds. ambrel-cli: $cli"
echo
echo "The file report (ambrel-cli --no-render FILE)"
printf '%-24s %-20s %10s %10s %s\n' file "compared with" "its ms" "ambrel ms" ratio
for f in "${files[@]}"; do
  base=$(basename "$f")
  time_interleaved "$f" "$cli --no-render" "head -c 65536"
  ours=${medians[0]}
  report "$base" "head -c 65536" "${medians[1]}" "$ours" atmost 1.3
  # Each tool on its own: a run right after a much heavier program starts with cold caches.
  for t in mkvinfo mediainfo ffprobe; do
    [ -n "${tools[$t]:-}" ] || continue
    time_interleaved "$f" "${tools[$t]}"
    report "$base" "$t" "${medians[0]}" "$ours" faster 10
  done
done

if [ -z "${AMBREL_REPORT_ONLY:-}" ] && command -v gst-discoverer-1.0 >/dev/null; then
  echo
  echo "The whole analysis (ambrel-cli FILE)"
  printf '%-24s %-20s %10s %10s %s\n' file "compared with" "its ms" "ambrel ms" ratio
  for f in "${files[@]}"; do
    time_interleaved "$f" "$cli"
    ours=${medians[0]}
    time_interleaved "$f" gst-discoverer-1.0
    report "$(basename "$f")" gst-discoverer-1.0 "${medians[0]}" "$ours" faster 1
  done
fi

echo
if [ "$failures" -eq 0 ]; then
  echo "All targets met."
else
  echo "$failures target(s) missed."
  exit 1
fi
