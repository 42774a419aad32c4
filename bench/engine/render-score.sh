#!/usr/bin/env bash
# Scores quillon-cli render against the shared corpus's reference pictures.
#   bench/engine/render-score.sh [render-score options...]   e.g. --scripting none --jobs 2
# The scoring tool takes a row's frame from its `trigger` column when there is one. For the
# rows made from FFmpeg movies that column holds the 0-based source frame, while `--frame`
# counts from 1 (as it does for every other row, whose frame is the number of frames run).
# This runs the tool on a view of the corpus whose FFmpeg rows carry their 1-based frame
# count (the table's own num_frames column); every other row and file is the corpus's own.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
corpus=${QUILLON_CORPUS:-$top/../shared/corpus}
tool=${RENDER_SCORE:-$top/../shared/tools/render-score}
[ -d "$corpus" ] || { echo "no corpus at $corpus" >&2; exit 1; }
view=$(mktemp -d)
trap 'rm -rf "$view"' EXIT
for entry in "$corpus"/*; do
    ln -s "$entry" "$view/"
done
rm "$view/visual_tests.tsv"
awk -F'\t' -v OFS='\t' '
    NR == 1 { for (i = 1; i <= NF; ++i) col[$i] = i; print; next }
    $col["swf_relpath"] ~ /^ffmpeg\// { $col["trigger"] = $col["num_frames"] }
    { print }' "$corpus/visual_tests.tsv" > "$view/visual_tests.tsv"
"$tool" --cli "$top/build/quillon-cli" --corpus "$view" "$@"
