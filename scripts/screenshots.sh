#!/usr/bin/env bash
# Takes the README's screenshots: builds the program, starts it in a private Xvfb on a
# scratch copy of the example data (examples/ is never written), drives it with xdotool as
# a user would, and saves the main window, the process dialog, the requirement dialog, the
# help window and the body editor, each cropped to its window, as docs/screenshots/*.png.
# Then it starts the program again on a file of 3,000 groups (examples/make_large.py) and
# saves the main window with its group list open.
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
mkdir -m 700 "$work/runtime" "$work/large"
python3 examples/make_large.py >"$work/large/Smeltwork.dat"

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

source scripts/xwindows.sh

# Starts the program in the folder $1.
start() {
    (cd "$1" && exec "$top/build/app/SmeltworkAdmin") >/dev/null 2>&1 &
    app=$!
    find_windows=(--pid "$app" --name '^Smeltwork')
    windows=()
}

# Saves the top window as docs/screenshots/$1.png.
shoot() {
    capture "$shots/$1.png"
    echo "$shots/$1.png"
}

# Saves the part of the screen that the program's windows cover as docs/screenshots/$1.png,
# so that a drop-down list shows with its window.
shoot_screen() {
    local left=100000 top=100000 right=0 bottom=0 w
    # shellcheck disable=SC2034 # getwindowgeometry --shell sets WINDOW and SCREEN too
    local X Y WIDTH HEIGHT WINDOW SCREEN
    for w in $(xdotool search --onlyvisible "${find_windows[@]}" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        left=$((X < left ? X : left)) top=$((Y < top ? Y : top))
        right=$((X + WIDTH > right ? X + WIDTH : right))
        bottom=$((Y + HEIGHT > bottom ? Y + HEIGHT : bottom))
    done
    xdotool mousemove 0 0 # no hover highlight in the picture
    sleep 0.5
    import -window root "$work/a.png"
    convert "$work/a.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
        -strip "$shots/$1.png"
    echo "$shots/$1.png"
}

start "$work"
opened
# The first screen: group Smelting, process Copper Ingot, with its items/tools in the list.
shoot main-window
# Group Smelting, process Bronze Ingot.
key alt+p Down Down

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

# The group list of a large file, opened from the keyboard.
start "$work/large"
opened
key alt+g F4
sleep 1
shoot_screen group-list
key Escape Escape
wait "$app"
app=
