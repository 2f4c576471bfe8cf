#!/usr/bin/env bash
# Installs the Debian packages Ambrel needs to build, test and fuzz, when they are missing.
set -euo pipefail
packages=(
  cmake g++ make pkg-config libgtest-dev libgmock-dev clang libclang-rt-dev
  # the media framework and its plugins (the real rendering checks; gst-discoverer for benchmarks)
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-libav gstreamer1.0-plugins-base-apps
  # a second AC-3 decoder (a52dec), which lets a test tell a plugin loaded ahead for nothing from one in use
  gstreamer1.0-plugins-ugly
  # the window, the command-line parser and the JSON writer
  qt6-base-dev libcli11-dev nlohmann-json3-dev
  # the ISO 639 language names of the JSON document, embedded at build time
  iso-codes
  # renders the logo at build time and the icons; validates the desktop entry and AppStream metadata
  librsvg2-bin desktop-file-utils appstream
  # formats the manual pages in the install test (their warnings fail it)
  groff-base
  # a decimal-comma locale for the locale-independence tests
  locales
  # links ambrel-cli with the functions a file report runs laid out together (fewer page faults)
  lld
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
