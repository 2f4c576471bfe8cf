#!/usr/bin/env bash
# Rewrites tests/data/worlds/expected/ from the current build of ambrel-cli: for every world
# (refused.json aside) the text report and HTML page of the whole analysis of the world's
# file, and the filter lists. Empty output or a changed exit status is refused; a summary
# of the changes is printed. Review the diff by hand before committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$(realpath "${AMBREL_CLI:-../../build/ambrel-cli}")
. ./golden.sh
mkdir -p worlds/expected
for w in worlds/*.json; do
  name=$(basename "$w" .json)
  [ "$name" = refused ] && continue
  bless "worlds/expected/$name.txt" "$cli" --media-world "$w"
  bless "worlds/expected/$name.html" "$cli" --media-world "$w" --html
  bless "worlds/expected/$name.filters.txt" "$cli" --media-world "$w" --filters
done
summary
