#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in work-folder/, which is filled
# from examples/ the first time (the examples themselves are never written to).
# Without a display the program runs under Xvfb instead: a screenshot of the window is
# saved into the working folder, the program is closed, and the screenshot's path printed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/deps.sh
scripts/build.sh build

work="$top/work-folder"
mkdir -p "$work"
[ -e "$work/Smeltwork.dat" ] || cp examples/Smeltwork.dat "$work/"
[ -e "$work/Smeltwork.hlp" ] || { [ -e examples/Smeltwork.hlp ] && cp examples/Smeltwork.hlp "$work/"; } || true
program="$top/build/app/SmeltworkAdmin"
cd "$work"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$program" "$@"
fi

echo "No display available (DISPLAY is ${DISPLAY:-not set}): starting the program under Xvfb."
exec "$top/scripts/screenshot-run.sh" "$program" "$work/SmeltworkAdmin.png"
