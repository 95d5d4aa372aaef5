#!/usr/bin/env bash
# Starts a program in a private Xvfb server, waits for its window, saves a screenshot of
# it, closes the program as a user would (Escape), and prints where the screenshot is.
# Usage: screenshot-run.sh PROGRAM SCREENSHOT.png
set -euo pipefail
program=$1
shot=$2

runtime=$(mktemp -d)
# Xvfb picks a free display and writes its number to the pipe once it accepts connections.
mkfifo "$runtime/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$runtime/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$runtime"' EXIT
read -r number <"$runtime/display"
export DISPLAY=:$number
export XDG_RUNTIME_DIR=$runtime # Qt warns without one

"$program" &
app=$!
window=
for _ in $(seq 100); do
    window=$(xdotool search --sync --onlyvisible --pid "$app" --name 'Smeltwork' 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "The program's window did not appear." >&2
    kill "$app" 2>/dev/null || true
    exit 1
fi
sleep 0.5 # let the first paint finish
import -window "$window" "$shot"
# Xvfb has no window manager: give the window the focus directly, then press Escape.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Escape 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then
    echo "The program did not close on Escape; ending it." >&2
    kill "$app"
fi
wait "$app" 2>/dev/null || true
echo "Screenshot of the window: $shot"
