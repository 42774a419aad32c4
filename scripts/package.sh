#!/usr/bin/env bash
# Builds the Debian package with CPack and prints its path.
#   scripts/package.sh [BUILD_DIR]        (default: build/)
# The package's dependencies come from dpkg-shlibdeps, run by CPack on the programs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
build=$(cd "$build" && pwd)
cmake --build "$build" -j "$(nproc)" >&2
rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package" >&2)
ls "$build"/package/quillon_*.deb
