#!/usr/bin/env bash
# Checks the Debian package as a user would meet it: builds it, runs lintian and the
# desktop and AppStream validators, unpacks it into a scratch root, and runs the
# installed programs from that read-only prefix with a scratch home:
#   - quillon starts offscreen, opens and compresses a movie, asks for its help, writes
#     its settings under $XDG_CONFIG_HOME and leaves nothing in the prefix;
#   - quillon-cli compresses and verifies a movie, and hands render to its engine.
#   scripts/package-check.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
deb=$(bash "$top/scripts/package.sh" "$build")
echo "package: $deb"

lintian --fail-on error "$deb"

work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >/dev/null

# A user who may not write the prefix; as root, the unprivileged account "nobody".
run=()
if [ "$(id -u)" -eq 0 ]; then
    run=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
chmod -R a-w "$root/usr"
chmod 755 "$work" "$root"
user=$work/user
mkdir -p "$user/home" "$user/config" "$user/runtime"
chmod 700 "$user/runtime"
cp "$top/samples/shapes.swf" "$user/movie.swf"
[ "$(id -u)" -ne 0 ] || chown -R nobody:nogroup "$user"
listing() { (cd "$root" && find . -printf '%p %m %s %T@\n' | sort); }
before=$(listing)

in_home() {
    env -i PATH=/usr/bin:/bin HOME="$user/home" XDG_CONFIG_HOME="$user/config" \
        XDG_RUNTIME_DIR="$user/runtime" QT_QPA_PLATFORM=offscreen "$@"
}
expect() { grep -qF -- "$1" <<<"$2" || { echo "missing \"$1\" in:"; echo "$2"; exit 1; }; }

# First start: no settings yet, so no language; closing writes config.ini.
first=$(in_home QUILLON_SELF_CHECK="$user/first" timeout 60 "${run[@]}" "$root/usr/bin/quillon" "$user/movie.swf")
expect "mode: installed" "$first"
expect "config: $user/config/quillon/config.ini" "$first"
expect "texts: $root/usr/share/quillon/Lang.ini found" "$first"
expect "dialog: FMessages MesComp" "$first"
[ -s "$user/config/quillon/config.ini" ] || { echo "config.ini was not written"; exit 1; }
# Second start in English: the texts and the English help are found.
sed -i 's/^DefaultLanguage=.*/DefaultLanguage=ENG/' "$user/config/quillon/config.ini"
second=$(in_home QUILLON_SELF_CHECK="$user/second" timeout 60 "${run[@]}" "$root/usr/bin/quillon" "$user/movie.swf")
expect "caption: Quillon" "$second"
expect "help: $root/usr/share/quillon/Help_eng.pdf found" "$second"
expect "dialog: FMessages MesComp" "$second"

cli=$root/usr/bin/quillon-cli
in_home "${run[@]}" "$cli" verify "$user/first.swf" "$user/second.swf"
in_home "${run[@]}" "$cli" compress --lzma "$user/movie.swf" "$user/cli.swf"
in_home "${run[@]}" "$cli" verify "$user/cli.swf"
in_home "${run[@]}" "$cli" render "$user/movie.swf" --frame 1 --output "$user/frame.png"
[ -s "$user/frame.png" ] || { echo "render wrote no picture"; exit 1; }

[ "$before" = "$(listing)" ] || { echo "the prefix changed:"; diff <(echo "$before") <(listing); exit 1; }
echo "package checks passed"
