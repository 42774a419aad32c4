#!/usr/bin/env bash
# quillon-cli at archive scale:
#   1. `quillon-cli info` on a small movie: the median wall time of 20 calls (the
#      target is 10 ms), and the libraries the tool maps (ldd), which must hold no Qt
#      and no FFmpeg;
#   2. N generated movies (default 10,000, a third damaged) checked by
#      `find | parallel -j2 -N500 --pipe quillon-cli verify --files-from - --jsonl`,
#      against one `quillon-cli verify` over the same list: time, and whether both give
#      the same set of results.
#
#   bench/cli/start-bench.sh [N] [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
count=${1:-10000}
build=$(realpath "${2:-$top/build}")
tool=$build/quillon-cli
movie=$top/samples/shapes.swf
work=$(mktemp -d /tmp/quillon-start-XXXXXX)
trap 'rm -rf "$work"' EXIT

"$tool" info "$movie" >/dev/null # warm the page cache
times=()
for _ in $(seq 20); do
    start=$EPOCHREALTIME
    "$tool" info "$movie" >/dev/null
    end=$EPOCHREALTIME
    times+=("$(echo "($end - $start) * 1000" | bc -l)")
done
median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {printf "%.2f", (a[10]+a[11])/2}')
echo "info on $(basename "$movie"): median of 20 calls $median ms (target 10 ms)"
# The processor time of a call, which a busy machine does not inflate as it does the wall
# time: the children's user and system time over 200 calls, against /bin/true's.
# `times` must run in this shell, not in a $(...) subshell, to see its children.
cpu_total() {
    times >"$work/times"
    tail -n 1 "$work/times" | sed 's/[ms]/ /g' | awk '{print $1*60+$2+$3*60+$4}'
}
cpu_ms() {
    local before after
    cpu_total >"$work/before"
    for _ in $(seq 200); do "$@" >/dev/null; done
    cpu_total >"$work/after"
    echo "($(cat "$work/after") - $(cat "$work/before")) * 1000 / 200" | bc -l
}
printf 'processor time a call: info %.2f ms, /bin/true %.2f ms\n' \
    "$(cpu_ms "$tool" info "$movie")" "$(cpu_ms /bin/true)"
echo "libraries mapped ($(ldd "$tool" | wc -l)):" $(ldd "$tool" | awk '{print $1}')
if ldd "$tool" | grep -qE 'libQt6|libav|libswscale'; then
    echo "FAIL: quillon-cli maps Qt or FFmpeg"
    exit 1
fi

command -v parallel >/dev/null || { echo "GNU parallel is not installed"; exit 1; }
"$build/bench/make_stress_movies" "$work/tree" "$count" >/dev/null
find "$work/tree" -name '*.swf' >"$work/list"
start=$EPOCHREALTIME
"$tool" verify --jobs 2 --quiet --files-from "$work/list" --jsonl >"$work/one.jsonl" || true
one=$(echo "$EPOCHREALTIME - $start" | bc -l)
start=$EPOCHREALTIME
find "$work/tree" -name '*.swf' |
    parallel -j2 -N500 --pipe "$tool" verify --jobs 1 --quiet --files-from - --jsonl \
        >"$work/pieces.jsonl" || true
pieces=$(echo "$EPOCHREALTIME - $start" | bc -l)
same=no
cmp -s <(sort "$work/one.jsonl") <(sort "$work/pieces.jsonl") && same=yes
printf '%d movies: one verify call %.2f s; parallel -j2 -N500 %.2f s (%d calls); same results: %s\n' \
    "$(wc -l <"$work/list")" "$one" "$pieces" "$(( (count + 499) / 500 ))" "$same"
[ "$same" = yes ]
