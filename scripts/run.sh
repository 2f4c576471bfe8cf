#!/usr/bin/env bash
# Installs what is missing, builds ambrel-cli and analyses FILE (default: the sample shipped in the repo).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target ambrel-cli -j"$(nproc)" >&2
build/ambrel-cli "${@:-tests/data/sample.mkv}"
