#!/usr/bin/env bash
# A batch run of quillon-cli over N generated movies, a third of them damaged: it must
# finish, give every movie a status line, and keep its memory bounded.
#
#   bench/stress/batch-stress.sh [N] [build]
set -euo pipefail
count=${1:-10000}
build=$(realpath "${2:-build}")
work=$(mktemp -d /tmp/quillon-stress-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_stress_movies" "$work/in" "$count"
for kind in compress decompress; do
    mkdir -p "$work/out-$kind"
    /usr/bin/time -o "$work/time" -f '%e %M' "$build/quillon-cli" batch "$kind" "$work/in" \
        --output "$work/out-$kind" >"$work/$kind.tsv" 2>/dev/null || true
    stats=$(tail -n 1 "$work/time")
    lines=$(wc -l <"$work/$kind.tsv")
    bad=$(cut -f1 "$work/$kind.tsv" | grep -cvxE 'Ok|Exist!|Disk full!|Skip|Error' || true)
    echo "$kind: $count movies, $lines lines, $bad without a status;" \
        "$(cut -f1 "$work/$kind.tsv" | sort | uniq -c | tr -s ' ' | tr '\n' ';')" \
        "time ${stats% *} s, peak $(( ${stats#* } / 1024 )) MiB"
    [ "$lines" -eq "$count" ] && [ "$bad" -eq 0 ]
done
