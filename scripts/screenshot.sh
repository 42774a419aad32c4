#!/usr/bin/env bash
# Starts the program under a virtual X server with a sample movie open and saves a
# picture of its window to docs/screenshot.png.
#   scripts/screenshot.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
program="$build/quillon"
[ -x "$program" ] || { echo "build the program first: $program is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'kill "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

# The program keeps its settings beside itself: run a copy in a folder of its own, with
# English texts, the single-file mode and the laid-out window size, so the user's
# config.ini is left alone.
cp "$program" "$work/quillon"
[ -f "$build/Lang.ini" ] && cp "$build/Lang.ini" "$work/"
cat >"$work/config.ini" <<'INI'
[Configuration]
DefaultLanguage=ENG
Mode=Single
[Size]
Top=0
Left=0
Width=913
Heigth=593
[Form]
InitMax=0
INI
program="$work/quillon"

movie="$top/samples/shapes.swf"
if [ ! -f "$movie" ]; then
    # A one-frame 550 x 400 movie with a blue background stands in for the sample.
    movie="$work/stand-in.swf"
    printf '\x46\x57\x53\x0a\x1e\x00\x00\x00\x78\x00\x05\x5f\x00\x00\x0f\xa0\x00\x00\x18\x01\x00\x43\x02\x33\x66\x99\x40\x00\x00\x00' >"$movie"
fi

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done

mkdir -p "$top/docs"
# The program saves a picture of its own window once the movie has played a little.
DISPLAY=$display QT_QPA_PLATFORM=xcb QUILLON_SCREENSHOT="$top/docs/screenshot.png" \
    timeout 60 "$program" "$movie"
echo "saved $top/docs/screenshot.png"
