#!/usr/bin/env bash
# Remakes tools/ambrel-cli.symbol-order: the functions of ambrel-cli that file reports of the
# sample files run, which the build has the linker lay out together (where it is lld), so that
# a short run faults in fewer pages of code. Names that later changes remove or rename are
# ignored by the linker; a stale list costs speed, never correctness.
# Usage: tools/make-symbol-order.sh [path/to/ambrel-cli] (default build/ambrel-cli; needs valgrind)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/ambrel-cli}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for f in tests/data/*.mk[vas] tests/data/*.webm; do
  valgrind --tool=callgrind --demangle=no --compress-strings=no --compress-pos=no \
    --callgrind-out-file="$tmp/profile" "$cli" --no-render "$f" >/dev/null 2>&1 || true
  # Functions with cost of their own, in ambrel-cli itself (not in the C library or the loader).
  awk -v cli="$(basename "$cli")" '/^ob=/ { ob = $0 } /^fn=/ { if (ob ~ ("/" cli "$")) print substr($0, 4) }' \
    "$tmp/profile" >>"$tmp/all"
done
# Valgrind's own names ("(below main)") are not symbols.
awk '!/[ ()]/ && !seen[$0]++' "$tmp/all" >tools/ambrel-cli.symbol-order
wc -l <tools/ambrel-cli.symbol-order
