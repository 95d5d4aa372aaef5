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
scripts/deps.sh pv
scripts/build.sh "$build" >/dev/null
program=$PWD/$build/app/SmeltworkAdmin
keys=$PWD/bench/keytowindow.py

scratch=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$scratch/display") XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
python3 bench/make_realistic.py 240000 "$scratch/Smeltwork.dat"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# measure SINK KEY...: starts the program, presses the keys once its window is up, prints the
# milliseconds from the last key until a window was mapped, and kills the program.
measure() {
    local sink=$1
    shift
    rm -rf "$scratch/run"
    mkdir "$scratch/run"
    cp "$scratch/Smeltwork.dat" "$scratch/run/"
    if [ "$sink" = slow ]; then
        # The shell's own stderr elsewhere: it would say that the program was killed.
        (cd "$scratch/run" && "$program" 2>&1 >/dev/null | pv -q -L 2m >/dev/null) 2>/dev/null &
    else
        (cd "$scratch/run" && exec "$program" >/dev/null 2>&1) &
    fi
    local started=$! window= polls=0
    until window=$(xdotool search --onlyvisible --name '^Smeltwork - Admin$' 2>/dev/null | head -n1) &&
        [ -n "$window" ]; do
        [ $((polls += 1)) -gt 2000 ] && { echo "The window did not appear." >&2; return 1; }
        sleep 0.01
    done
    local pid
    pid=$(xdotool getwindowpid "$window")
    timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null || true
    sleep 0.5
    timeout 30 python3 "$keys" "$@" | cut -d' ' -f1
    kill -KILL "$pid"
    wait "$started" 2>/dev/null || true
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
