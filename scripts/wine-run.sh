#!/usr/bin/env bash
# Runs a built Windows program under Wine in the environment the Windows tests use
# (scripts/wine-env.sh): scripts/wine-run.sh build-win/ambrel-cli.exe FILE...
set -euo pipefail
# shellcheck source=scripts/wine-env.sh
. "$(dirname "$0")/wine-env.sh"
ambrel_wine_start
trap ambrel_wine_stop EXIT
status=0
wine "$@" || status=$?
exit $status
