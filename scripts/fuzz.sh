#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs one of them for a while.
#
#   scripts/fuzz.sh TARGET [SECONDS]     e.g. scripts/fuzz.sh fuzz_decompress 600
#
# Seeds come from samples/, fuzz/seeds/NAME/ and, when present, the shared corpus; findings land in
# fuzz-out/TARGET/ (keep each crasher under tests/fuzz-regressions/ as a regression).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
target=${1:?usage: scripts/fuzz.sh TARGET [SECONDS]}
seconds=${2:-600}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_FUZZ=ON \
    -DQUILLON_GUI=OFF -DQUILLON_TESTS=OFF -DQUILLON_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "$target"

out=fuzz-out/$target
mkdir -p "$out/corpus" "$out/seeds"
cp -f samples/*.swf "$out/seeds/" 2>/dev/null || true
# Targets that read other formats than movies keep their own seeds.
if [ -d "fuzz/seeds/${target#fuzz_}" ]; then
    cp -f "fuzz/seeds/${target#fuzz_}"/* "$out/seeds/"
fi
corpus=${QUILLON_CORPUS:-$top/../shared/corpus}
if [ -d "$corpus" ] && [ "$target" != fuzz_ini ]; then
    find "$corpus" -name '*.swf' -size -64k -print0 | head -z -n 400 |
        xargs -0 -I{} sh -c 'cp "$1" "$2/$(sha1sum "$1" | cut -c1-16).swf"' _ {} "$out/seeds" || true
fi
if [ -d "tests/fuzz-regressions/${target#fuzz_}" ]; then
    cp -f "tests/fuzz-regressions/${target#fuzz_}"/* "$out/seeds/" 2>/dev/null || true
fi
exec "build-fuzz/fuzz/$target" "$out/corpus" "$out/seeds" -max_total_time="$seconds" \
    -artifact_prefix="$out/" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1
