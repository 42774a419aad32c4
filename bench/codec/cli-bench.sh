#!/usr/bin/env bash
# Whole-command figures of quillon-cli: peak memory of compress and decompress against
# source + output + 2 MiB, and batch --jobs 2 against --jobs 1 over 200 files of ~1 MB.
#
#   bench/codec/cli-bench.sh [build/quillon-cli]
set -euo pipefail
cli=$(realpath "${1:-build/quillon-cli}")
work=$(mktemp -d /tmp/quillon-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT

# A plain movie of the given body size: header with the right declared length, then
# base64 text, which compresses about as well as real movie bodies.
make_movie() {
    local path=$1 body=$2 total=$(($2 + 8))
    printf 'FWS\x0a' >"$path"
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((total & 255)) $((total >> 8 & 255)) \
        $((total >> 16 & 255)) $((total >> 24 & 255)))" >>"$path"
    { head -c $((body * 3 / 4 + 4)) /dev/urandom | base64 -w 0 | head -c "$body" >>"$path"; } || true
}

peak_kib() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1; }

make_movie "$work/big.swf" $((64 << 20))
kib=$(peak_kib "$cli" compress "$work/big.swf" "$work/big-c.swf")
src=$(stat -c %s "$work/big.swf"); out=$(stat -c %s "$work/big-c.swf")
echo "compress:   peak $((kib / 1024)) MiB, source + output + 2 MiB = $(((src + out) / 1048576 + 2)) MiB"
kib=$(peak_kib "$cli" decompress "$work/big-c.swf" "$work/big-p.swf")
echo "decompress: peak $((kib / 1024)) MiB, source + output + 2 MiB = $(((src + out) / 1048576 + 2)) MiB"

mkdir -p "$work/in" "$work/out1" "$work/out2"
for i in $(seq 1 200); do make_movie "$work/in/m$i.swf" $((1000000 + i)); done
t1=$( { /usr/bin/time -f '%e' "$cli" batch compress "$work/in" --output "$work/out1" --jobs 1 >/dev/null; } 2>&1 | tail -n 1)
t2=$( { /usr/bin/time -f '%e' "$cli" batch compress "$work/in" --output "$work/out2" --jobs 2 >/dev/null; } 2>&1 | tail -n 1)
echo "batch of 200 x 1 MB: --jobs 1 ${t1} s, --jobs 2 ${t2} s, speed-up $(echo "scale=2; $t1 / $t2" | bc)"
