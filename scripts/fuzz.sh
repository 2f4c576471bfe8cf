#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30) on its corpus.
# New inputs go to a scratch directory, so the committed corpus only changes by hand; with
# AMBREL_FUZZ_KEEP=DIR they are kept in DIR/<target> instead, to be minimised and committed.
# Inputs that crash or time out are kept in fuzz/artifacts/<target>/, and the run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAMBREL_FUZZ=ON -DAMBREL_WERROR=ON \
  -DAMBREL_TESTS=OFF -DAMBREL_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)"
status=0
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target" | sed 's/^fuzz_//')
  if [ -n "${AMBREL_FUZZ_KEEP:-}" ]; then
    scratch="$AMBREL_FUZZ_KEEP/$name"; mkdir -p "$scratch"
  else
    scratch=$(mktemp -d)
  fi
  artifacts="fuzz/artifacts/$name"; mkdir -p "$artifacts"
  echo "Fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$artifacts/" "$scratch" "fuzz/corpus/$name" 2>&1 | tail -n 3 || status=1
  [ -n "${AMBREL_FUZZ_KEEP:-}" ] || rm -rf "$scratch"
  [ -z "$(ls -A "$artifacts")" ] || { echo "fuzz target $name found failing inputs in $artifacts"; status=1; }
done
exit $status
