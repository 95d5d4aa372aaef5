#!/usr/bin/env bash
# Takes the README's screenshots: builds the program, starts it in a private Xvfb on a
# scratch copy of the example data (examples/ is never written), drives it with xdotool as
# a user would, and saves the main window, the process dialog, the requirement dialog, the
# help window and the body editor, each cropped to its window, as docs/screenshots/*.png.
# Usage: scripts/screenshots.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/deps.sh
scripts/build.sh build

shots="$top/docs/screenshots"
mkdir -p "$shots"
work=$(mktemp -d)
cp examples/Smeltwork.dat examples/Smeltwork.hlp "$work/"
mkdir -m 700 "$work/runtime"

# Xvfb picks a free display and writes its number to the pipe once it accepts connections.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
    [ -z "$app" ] || kill "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
read -r number <"$work/display"
export DISPLAY=:$number XDG_RUNTIME_DIR="$work/runtime"

(cd "$work" && exec "$top/build/app/SmeltworkAdmin") >/dev/null 2>&1 &
app=$!
find_windows=(--pid "$app" --name '^Smeltwork')
source scripts/xwindows.sh

# Saves the top window as docs/screenshots/$1.png.
shoot() {
    capture "$shots/$1.png"
    echo "$shots/$1.png"
}

opened
# Group Smelting, process Bronze Ingot, with its items/tools in the list.
key alt+p Down Down
shoot main-window

# Along the tab order from the process list: its Sort button, the tabs, the item list
# (which makes its first row current), the action list (E: Edit), the kind (Process), and
# the action button.
key Tab Tab Tab Tab e Tab Down Tab space
opened
shoot process-dialog
key Escape
closed

# Back on the action button: the kind before it becomes Item/Tool; the first item's dialog.
key shift+Tab Down Tab space
opened
shoot requirement-dialog
key Escape
closed

# The help window with its first topic chosen, then the body editor on that topic.
key alt+h
opened
click 60 31
shoot help-window
click 380 338
opened
shoot body-editor
key Escape
closed
key Escape
closed
key Escape
wait "$app"
app=
