#!/usr/bin/env bash
# Rewrites tests/data/worlds/expected/ from the current build of ambrel-cli: for every world
# (refused.json aside) the text report and HTML page of the whole analysis of the world's
# file, and the filter lists. Review the diff by hand before committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=../../build/ambrel-cli
mkdir -p worlds/expected
for w in worlds/*.json; do
  name=$(basename "$w" .json)
  [ "$name" = refused ] && continue
  "$cli" --media-world "$w" > "worlds/expected/$name.txt" || true
  "$cli" --media-world "$w" --html > "worlds/expected/$name.html" || true
  "$cli" --media-world "$w" --filters > "worlds/expected/$name.filters.txt" || true
done
