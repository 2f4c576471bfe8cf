#!/usr/bin/env bash
# Builds the Debian package ambrel_VERSION_ARCH.deb in the current folder: a Release build
# installed under /usr (the programs in /usr/bin, the framework host and the GStreamer
# module in /usr/lib/ambrel), packed by CPack's DEB generator, then checked by lintian
# when it is installed.
# Usage: scripts/package-deb.sh [BUILD_DIR]   (default: build-deb)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-deb}
jobs=${AMBREL_JOBS:-2}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DAMBREL_WERROR=ON -DAMBREL_BENCH=OFF -DAMBREL_TESTS=OFF \
  -DAMBREL_DEB_PACKAGE=ON -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_LIBDIR=lib "${launcher[@]}" >/dev/null
# The programs, the host, the module and the icons: what the package installs.
targets=(ambrel-cli ambrel-framework-host)
for optional in ambrel-gstreamer ambrel ambrel_icons ambrel_manual_text; do
  cmake --build "$build" --target help | grep -q "^\.\.\. $optional\$" && targets+=("$optional")
done
cmake --build "$build" -j"$jobs" --target "${targets[@]}"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/ambrel_*.deb | head -n 1)
cp "$deb" .
deb=$(basename "$deb")
echo "$deb"
if command -v lintian >/dev/null; then
  # Errors fail the package; the warnings kept are explained in README.md ("Installing").
  lintian --tag-display-limit 0 "$deb" || { echo "lintian found errors in $deb" >&2; exit 1; }
fi
