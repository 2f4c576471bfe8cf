#!/usr/bin/env bash
# Rewrites tests/data/expected/ from the current build of ambrel-cli: the text report,
# HTML page and parsing log of every sample. Review the diff by hand (against the
# samples' .mkvinfo.txt dumps) before committing it.
set -euo pipefail
cd "$(dirname "$0")"
cli=../../build/ambrel-cli
mkdir -p expected
for f in *.mkv *.mka *.mks *.webm; do
  "$cli" "$f" > "expected/$f.txt" || true
  "$cli" --html "$f" > "expected/$f.html" || true
  "$cli" --log "$f" > "expected/$f.log" || true
done
