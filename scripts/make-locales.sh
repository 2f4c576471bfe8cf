#!/usr/bin/env bash
# Makes the decimal-comma locale (de_DE.UTF-8) that the locale-independence tests switch to,
# when the machine does not have it yet. Fails when it cannot be made.
set -euo pipefail
locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
