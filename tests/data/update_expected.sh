#!/usr/bin/env bash
# Rewrites tests/data/expected/ from the current build of ambrel-cli: the text report,
# HTML page and parsing log of every sample: the file section alone, without the
# machine-dependent rendering sections (proposed filters then read "no" for installed), with the
# Windows filters' codec database, which every build carries.
# Review the diff by hand (against the samples' .mkvinfo.txt dumps) before committing it.
set -euo pipefail
cd "$(dirname "$0")"
cli=../../build/ambrel-cli
mkdir -p expected
for f in *.mkv *.mka *.mks *.webm; do
  "$cli" --codec-db directshow --no-render "$f" > "expected/$f.txt" || true
  "$cli" --codec-db directshow --no-render --html "$f" > "expected/$f.html" || true
  "$cli" --codec-db directshow --no-render --log "$f" > "expected/$f.log" || true
done
