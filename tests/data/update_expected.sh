#!/usr/bin/env bash
# Rewrites tests/data/expected/ from the current build of ambrel-cli: the text report,
# HTML page and parsing log of every sample: the file section alone, without the
# machine-dependent rendering sections (proposed filters then read "no" for installed).
# Empty output or a changed exit status is refused; a summary of the changes is printed.
# Review the diff by hand (against the samples' .mkvinfo.txt dumps) before committing it.
set -euo pipefail
cd "$(dirname "$0")"
cli=$(realpath "${AMBREL_CLI:-../../build/ambrel-cli}")
. ./golden.sh
mkdir -p expected
for f in *.mkv *.mka *.mks *.webm; do
  bless "expected/$f.txt" "$cli" --no-render "$f"
  bless "expected/$f.html" "$cli" --no-render --html "$f"
  bless "expected/$f.log" "$cli" --no-render --log "$f"
done
summary
