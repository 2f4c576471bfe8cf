#!/usr/bin/env bash
# A batch of COUNT copies of the sample files (default 1000), analysed with two jobs by
# ambrel-cli --no-render --json (the file structure, as the others read it) and, when
# they are installed, by mediainfo and ffprobe with JSON output on two parallel workers;
# prints each tool's wall time and files per second.
# Usage: bench/batch_compare.sh [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
cli=build/ambrel-cli
[ -x "$cli" ] || { cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build build --target ambrel-cli -j"$(nproc)" >/dev/null; }
mapfile -t samples < <(ls tests/data/*.mk[vas] tests/data/*.webm)

batch=$(mktemp -d)
trap 'rm -rf "$batch"' EXIT
# Copies, not links: every tool reads every file from the page cache the same way.
for ((i = 0; i < count; i++)); do
  sample=${samples[i % ${#samples[@]}]}
  cp "$sample" "$batch/$(printf '%05d' "$i")_$(basename "$sample")"
done
list="$batch.list"
find "$batch" -type f | sort >"$list"
trap 'rm -rf "$batch" "$list"' EXIT
cat "$list" | xargs cat >/dev/null  # warm the page cache for everyone

# Runs a command, prints its wall time and the batch's files per second.
measure() {
  local name=$1 start end
  shift
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  awk -v n="$name" -v s="$start" -v e="$end" -v c="$count" \
    'BEGIN { t = (e - s) / 1e9; printf "%-12s %9.2f s %10.1f files/s\n", n, t, c / t }'
}

echo "batch of $count files ($(du -sh "$batch" | cut -f1)), two jobs each"
measure ambrel-cli "$cli" --no-render --json --jobs 2 - <"$list"
command -v mediainfo >/dev/null &&
  measure mediainfo sh -c "xargs -P 2 -n $(((count + 1) / 2)) mediainfo --Output=JSON <'$list'"
command -v ffprobe >/dev/null &&
  measure ffprobe sh -c "xargs -P 2 -n 1 ffprobe -v quiet -of json -show_format -show_streams -show_chapters <'$list'"
exit 0
