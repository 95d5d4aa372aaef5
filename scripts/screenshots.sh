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
windows=() # the program's windows, the one on top last

# Waits for a new window of the program and gives it the focus (there is no window manager).
opened() {
    local w tries
    for tries in $(seq 100); do
        for w in $(xdotool search --onlyvisible --pid "$app" --name '^Smeltwork' 2>/dev/null); do
            [[ " ${windows[*]} " == *" $w "* ]] && continue
            windows+=("$w")
            xdotool windowfocus --sync "$w"
            return 0
        done
        sleep 0.1
    done
    echo "A window of the program did not open." >&2
    exit 1
}

# Waits for the top window to go and gives the focus back to the one below.
closed() {
    local gone=${windows[-1]} tries
    unset 'windows[-1]'
    for tries in $(seq 100); do
        xdotool search --onlyvisible --pid "$app" --name '^Smeltwork' 2>/dev/null | grep -qx "$gone" || break
        sleep 0.1
    done
    [ ${#windows[@]} -eq 0 ] || xdotool windowfocus --sync "${windows[-1]}"
}

key() { xdotool key --delay 40 "$@"; }
click() { xdotool mousemove --window "${windows[-1]}" "$1" "$2" click 1; }

# Saves the top window once it has finished painting: two captures in a row are the same.
shoot() {
    local file="$shots/$1.png" tries
    xdotool mousemove 0 0 # no hover highlight in the picture
    for tries in $(seq 50); do
        import -window "${windows[-1]}" "$work/a.png"
        sleep 0.1
        import -window "${windows[-1]}" "$work/b.png"
        cmp -s "$work/a.png" "$work/b.png" && break
    done
    convert "$work/b.png" -strip "$file"
    echo "$file"
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
