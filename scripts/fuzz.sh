#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30) on its corpus.
# New inputs go to a scratch directory, so the committed corpus only changes by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAMBREL_FUZZ=ON -DAMBREL_WERROR=ON \
  -DAMBREL_TESTS=OFF -DAMBREL_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)"
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target" | sed 's/^fuzz_//')
  scratch=$(mktemp -d)
  echo "Fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$scratch/" "$scratch" "fuzz/corpus/$name" 2>&1 | tail -n 3
  rm -rf "$scratch"
done
