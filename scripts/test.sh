#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the plain build, the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DAMBREL_SANITIZE=ON -DAMBREL_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"

scripts/fuzz.sh "${AMBREL_FUZZ_SECONDS:-60}"
