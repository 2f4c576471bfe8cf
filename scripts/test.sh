#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the plain build, the Windows build
# under Wine, the same tests under AddressSanitizer + UndefinedBehaviorSanitizer, the
# concurrency tests under ThreadSanitizer, and a short run of every fuzz target. Warnings are errors in all of these builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/make-locales.sh || echo "No decimal-comma locale could be made: the locale checks will be skipped."
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DAMBREL_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# The Windows program, cross-built and tested under Wine (docs/windows.md); it installs
# the cross compilers and Wine when they are missing.
scripts/build-windows.sh

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DAMBREL_WERROR=ON -DAMBREL_SANITIZE=ON -DAMBREL_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$PWD/scripts/lsan-suppressions.txt" UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Analyses and codec queries on several threads at once: only the tests that share state
# between threads are built and run here.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAMBREL_WERROR=ON -DAMBREL_TSAN=ON -DAMBREL_BENCH=OFF >/dev/null
cmake --build build-tsan --target concurrency_tests -j"$jobs"
# The first load of the embedded tables races only in a process where nothing loaded them yet.
first_load=Tables.EmbeddedTablesLoadOnceOnFirstUseFromAnyThread
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/tests/concurrency/concurrency_tests --gtest_filter=$first_load
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/tests/concurrency/concurrency_tests --gtest_filter=-$first_load

scripts/fuzz.sh "${AMBREL_FUZZ_SECONDS:-60}"
