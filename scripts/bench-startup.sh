#!/usr/bin/env bash
# Times the whole program from outside on the 65,535-group file (bench_datafile writes it):
# from the start of the process until its window is shown (mapped, as xdotool sees it), and
# from the Escape that closes the window until the process has exited, the data saved.
# Each case runs in a private Xvfb, in a fresh folder, `runs` times; the medians are printed
# with the CPU time the program used (user + system, from GNU time).
#
#   bash scripts/bench-startup.sh [runs] [build folder]
#
# Cases: the trace off (QT_LOGGING_RULES=default.debug=false) with stderr piped into cat;
# the trace on with stderr on /dev/null and piped into cat; and the trace on through Qt's
# own handler (QT_MESSAGE_PATTERN=%{message}, which prints the same bytes but keeps the
# trace off the buffer), piped. The window is polled every 5 ms with xdotool, whose own
# processes share the machine with the program; the wait for exit is the shell's.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=${2:-build}
unset QT_LOGGING_RULES QT_MESSAGE_PATTERN
scripts/deps.sh time # GNU time, for the program's CPU time
scripts/build.sh "$build" -DSMELT_BENCH=ON >/dev/null
program=$PWD/$build/app/SmeltworkAdmin

scratch=$(mktemp -d)
# Xvfb picks a free display and prints its number once it takes connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$scratch/display") XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
QT_QPA_PLATFORM=offscreen "$build/bench/bench_datafile" --write-wide "$scratch/Smeltwork.dat"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# run SINK [VARIABLE=VALUE...]: one start and close of the program; prints the seconds
# until the window was shown, from Escape until the exit, and of CPU time
run() {
    local sink=$1
    shift
    rm -rf "$scratch/run"
    mkdir "$scratch/run"
    cp "$scratch/Smeltwork.dat" "$scratch/run/"
    local start=$EPOCHREALTIME
    if [ "$sink" = pipe ]; then
        (cd "$scratch/run" && env "$@" /usr/bin/time -f "%U %S" -o "$scratch/cpu" \
            "$program" 2>&1 >/dev/null | cat >/dev/null) &
    else
        (cd "$scratch/run" && env "$@" /usr/bin/time -f "%U %S" -o "$scratch/cpu" \
            "$program" >/dev/null 2>/dev/null) &
    fi
    local app=$! window= polls=0
    until window=$(xdotool search --onlyvisible --name '^Smeltwork' 2>/dev/null | head -n1) &&
        [ -n "$window" ]; do
        if ! kill -0 "$app" "$xvfb" 2>/dev/null || [ $((polls += 1)) -gt 6000 ]; then
            echo "The program's window did not appear:" "$(cat "$scratch/cpu" 2>/dev/null)" >&2
            return 1
        fi
        sleep 0.005
    done
    local shown=$EPOCHREALTIME
    sleep 1 # the first paint and whatever else follows the window's mapping
    timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null || true
    local close=$EPOCHREALTIME
    timeout 10 xdotool key Escape
    # Whichever ends first: the program, or a minute.
    sleep 60 >/dev/null &
    local timer=$!
    wait -n "$app" "$timer" || true
    local end=$EPOCHREALTIME
    if kill -0 "$app" 2>/dev/null; then
        echo "The program did not close on Escape." >&2
        return 1
    fi
    kill "$timer"
    echo "$shown $start $end $close $(tail -n 1 "$scratch/cpu")" |
        awk '{ printf "%.3f %.3f %.3f\n", $1 - $2, $3 - $4, $5 + $6 }'
}

printf 'Load average at the start: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-40s %10s %10s %10s\n' "case (medians of $runs runs)" "shown s" "closed s" "cpu s"
bench() {
    local name=$1
    shift
    local results=()
    for _ in $(seq "$runs"); do results+=("$(run "$@")") || exit 1; done
    printf '%-40s %10s %10s %10s\n' "$name" \
        "$(printf '%s\n' "${results[@]}" | cut -d' ' -f1 | median)" \
        "$(printf '%s\n' "${results[@]}" | cut -d' ' -f2 | median)" \
        "$(printf '%s\n' "${results[@]}" | cut -d' ' -f3 | median)"
}
bench "trace off, pipe" pipe QT_LOGGING_RULES=default.debug=false
bench "trace on, /dev/null" null
bench "trace on, pipe" pipe
bench "trace on through Qt's handler, pipe" pipe "QT_MESSAGE_PATTERN=%{message}"
printf 'Load average at the end: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
