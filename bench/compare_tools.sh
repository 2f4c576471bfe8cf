#!/usr/bin/env bash
# Times ambrel-cli end to end on the sample files: the file structure alone (--no-render)
# against mkvinfo, mediainfo and ffprobe, and the whole analysis (media framework start,
# RenderFile check and detailed rendering included) against gst-discoverer-1.0, each when
# installed; prints each figure and its ratio to ambrel-cli.
# Usage: bench/compare_tools.sh [RUNS] (default 20 runs per file and tool)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
cli=build/ambrel-cli
[ -x "$cli" ] || { cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build build --target ambrel-cli -j"$(nproc)" >/dev/null; }
mapfile -t files < <(ls tests/data/*.mk[vas] tests/data/*.webm 2>/dev/null)

# Prints the mean wall time of one command over $runs runs, in milliseconds.
mean_ms() {
  local start end
  start=$(date +%s%N)
  for ((i = 0; i < runs; i++)); do "$@" >/dev/null 2>&1 || true; done
  end=$(date +%s%N)
  awk -v s="$start" -v e="$end" -v n="$runs" 'BEGIN { printf "%.3f", (e - s) / n / 1000000 }'
}

declare -A tools=([ambrel-cli]="$cli")
command -v mkvinfo >/dev/null && tools[mkvinfo]="mkvinfo"
command -v mediainfo >/dev/null && tools[mediainfo]="mediainfo"
command -v ffprobe >/dev/null && tools[ffprobe]="ffprobe -v quiet -show_format -show_streams -show_chapters"

printf '%-28s %-18s %10s %8s\n' file tool "ms/run" ratio
for f in "${files[@]}"; do
  base=$(mean_ms $cli --no-render "$f")
  printf '%-28s %-18s %10s %8s\n' "$(basename "$f")" "ambrel-cli" "$base" 1.00
  for t in mkvinfo mediainfo ffprobe; do
    [ -n "${tools[$t]:-}" ] || continue
    ms=$(mean_ms ${tools[$t]} "$f")
    printf '%-28s %-18s %10s %8s\n' "$(basename "$f")" "$t" "$ms" "$(awk -v a="$ms" -v b="$base" 'BEGIN { printf "%.2f", a / b }')"
  done
done

echo
printf '%-28s %-18s %10s %8s\n' file "whole analysis" "ms/run" ratio
for f in "${files[@]}"; do
  base=$(mean_ms $cli "$f")
  printf '%-28s %-18s %10s %8s\n' "$(basename "$f")" "ambrel-cli" "$base" 1.00
  if command -v gst-discoverer-1.0 >/dev/null; then
    ms=$(mean_ms gst-discoverer-1.0 "$f")
    printf '%-28s %-18s %10s %8s\n' "$(basename "$f")" "gst-discoverer-1.0" "$ms" "$(awk -v a="$ms" -v b="$base" 'BEGIN { printf "%.2f", a / b }')"
  fi
done
