#!/usr/bin/env bash
# Installs the build in BUILD_DIR (default build/) into a staging folder as a packager would,
# checks what a desktop reads there with the validators that desktops and software centres
# use, runs the installed tool, and builds the Debian package, which must hold the same files.
# Usage: scripts/check-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
app=org.smeltwork.Admin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/stage" >/dev/null
cd "$work/stage"
for size in 16 22 24 32 48 64 128 256; do
    icon=share/icons/hicolor/${size}x$size/apps/$app.png
    # The tools cross mid-icon; the corners stay transparent.
    [ "$(identify -format '%wx%h %[fx:int(255*p{0,h-1}.a)] %[fx:int(255*p{w/2,h/2}.a)]' "$icon")" \
        = "${size}x$size 0 255" ] || fail "$icon is not a ${size}x$size icon of the two tools"
done
entry=share/applications/$app.desktop
out=$(desktop-file-validate "$entry") && [ -z "$out" ] || fail "$entry: $out"
grep -qx "Icon=$app" "$entry" || fail "$entry names another icon"
[ -x "bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")" ] || fail "$entry starts no installed program"
metainfo=share/metainfo/$app.metainfo.xml
appstreamcli validate --no-net --no-color "$metainfo" >/dev/null || fail "$metainfo is not valid"
grep -q "<launchable type=\"desktop-id\">$app.desktop<" "$metainfo" || fail "$metainfo names no launcher"
grep -q "<release version=\"$version\"" "$metainfo" || fail "$metainfo has no release $version"
# The installed tool runs, and its exit status reaches the shell.
[ "$(bin/smeltwork-tool --version)" = "smeltwork-tool $version" ] || fail "the installed tool's version"
status=0; bin/smeltwork-tool dump "$work/missing.dat" 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "smeltwork-tool dump of a missing file exits $status, not 2"

(cd "$build" && cpack -G DEB -B "$work/packages" >/dev/null) || fail "cpack failed"
deb=$(ls "$work"/packages/*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *qt6-qpa-plugins* ]] || fail "the package depends on: $depends"
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
while IFS= read -r file; do
    grep -qxF "./usr/${file#./}" <<<"$contents" || fail "the package lacks $file"
done < <(find . -type f)
echo "check-install: the installation and the Debian package are complete and valid"
