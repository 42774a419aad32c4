#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ -x build/quillon ]; then
    exec build/quillon "$@"
fi
exec build/quillon-cli info samples/shapes.swf samples/shapes-compressed.swf
