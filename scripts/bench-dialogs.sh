#!/usr/bin/env bash
# Times each box and dialog of the administration window from the key that opens it until its
# window is on the screen, on the realistic file of 240,000 requirements
# (bench/make_realistic.py), from outside, as a user meets them: in a private Xvfb, a fresh
# program in a fresh folder for every measurement (so that each is the first of its kind in
# that program), the keys pressed through XTest a third of a second apart, and the last one
# timed until the window is mapped (bench/keytowindow.py). Then the program is killed.
#
#   bash scripts/bench-dialogs.sh [runs] [build folder]
#
# Two cases: stderr on /dev/null, and stderr piped into a reader that takes 2 MiB a second
# (`pv -q -L 2m`, as a slow terminal), so that the keys come while the load's trace is still
# on its way. Medians and the slowest of `runs` runs (default 5), in milliseconds.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=${2:-build}
unset QT_LOGGING_RULES QT_MESSAGE_PATTERN
scripts/deps.sh time pv
scripts/build.sh "$build" >/dev/null
program=$PWD/$build/app/SmeltworkAdmin
keys=$PWD/bench/keytowindow.py

source scripts/bench-outside.sh
python3 bench/make_realistic.py 240000 "$scratch/Smeltwork.dat"

# measure SINK KEY...: starts the program, presses the keys once its window is up, prints the
# milliseconds from the last key until a window was mapped, and kills the program.
measure() {
    startUntilShown "$1" || return 1
    shift
    local pid
    pid=$(xdotool getwindowpid "$window")
    timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.5
    timeout 30 python3 "$keys" "$@" | cut -d' ' -f1
    kill -KILL "$pid"
    wait "$app" 2>/dev/null || true
}

tabs() { for _ in $(seq "$1"); do printf 'Tab '; done; }

printf 'Load average at the start: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-44s %14s %14s\n' "key until the window is mapped, ms" "stderr null" "2 MiB/s pipe"
printf '%-44s %14s %14s\n' "(median / slowest of $runs)" "" ""
bench() {
    local name=$1
    shift
    printf '%-44s' "$name"
    for sink in null slow; do
        local results=()
        for _ in $(seq "$runs"); do results+=("$(measure "$sink" "$@")") || exit 1; done
        printf ' %14s' "$(printf '%s\n' "${results[@]}" | median) / $(printf '%s\n' "${results[@]}" | sort -n | tail -n1)"
    done
    printf '\n'
}
# The focus starts on the group list; the tab order is the group list, its Sort button, the
# process list, its Sort button, the requirement tabs, the shown list, the action list, the
# kind list, the action button, Edit help and Exit.
bench "delete question, process group" $(tabs 6) Down Tab Tab space
bench "delete question, process" $(tabs 6) Down Tab Down Tab space
bench "delete question, item/tool" $(tabs 5) Down Tab Down Tab Down Down Tab space
bench "delete question, skill" $(tabs 4) Right Tab Down Tab Down Tab Down Down Down Tab space
bench "add dialog, process group" $(tabs 8) space
bench "edit dialog, process" $(tabs 6) Down Down Tab Down Tab space
bench "edit dialog, item/tool" $(tabs 5) Down Tab Down Down Tab Down Down Tab space
bench "add dialog, skill" $(tabs 7) Down Down Down Tab space
bench "find window (Ctrl+F)" ctrl+f
bench "help window (Edit help)" $(tabs 9) space
printf 'Load average at the end: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
