#!/usr/bin/env bash
# Times the whole program from outside on a data file: from the start of the process until
# its window is shown (mapped, as xdotool sees it), and from the Escape that closes the
# window until the folder's lock is gone (the data saved) and until the process has exited.
# Each case runs in a private Xvfb, in a fresh folder, `runs` times; the medians are printed
# with the CPU time the program used (user + system, from GNU time).
#
#   bash scripts/bench-startup.sh [runs] [build folder] [data file]
#
# Without a data file, the 65,535-group file (bench_datafile writes it). Cases: the trace
# off (QT_LOGGING_RULES=default.debug=false) with stderr piped into cat; the trace on with
# stderr on /dev/null, piped into cat, and piped into a reader that takes 2 MiB a second
# (`pv -q -L 2m`, as a slow terminal); and the trace on through Qt's own handler
# (QT_MESSAGE_PATTERN=%{message}, which prints the same bytes but keeps the trace off the
# buffer), piped. The window and the lock are polled every 5 ms, the window with xdotool,
# whose own processes share the machine with the program; the wait for exit is the shell's.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=${2:-build}
data=${3:+$(realpath "$3")}
unset QT_LOGGING_RULES QT_MESSAGE_PATTERN
scripts/deps.sh time pv # GNU time, for the program's CPU time; pv, the slow reader
scripts/build.sh "$build" -DSMELT_BENCH=ON >/dev/null
program=$PWD/$build/app/SmeltworkAdmin

source scripts/bench-outside.sh
if [ -n "$data" ]; then
    cp "$data" "$scratch/Smeltwork.dat"
else
    QT_QPA_PLATFORM=offscreen "$build/bench/bench_datafile" --write-wide "$scratch/Smeltwork.dat"
fi
printf 'Data file: %s, %s bytes\n' "${data:-the 65,535-group file}" "$(stat -c %s "$scratch/Smeltwork.dat")"

# run SINK [VARIABLE=VALUE...]: one start and close of the program; prints the seconds
# until the window was shown, from Escape until the lock was gone and until the exit, and of
# CPU time
run() {
    local sink=$1
    shift
    startUntilShown "$sink" "$@" || return 1
    local start=$startedAt shown=$EPOCHREALTIME
    sleep 1 # the first paint and whatever else follows the window's mapping
    timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null || true
    local close=$EPOCHREALTIME
    timeout 10 xdotool key Escape
    local polls=0
    while [ -e "$scratch/run/Smeltwork.dat.lock" ] && [ $((polls += 1)) -le 12000 ]; do
        sleep 0.005
    done
    local released=$EPOCHREALTIME
    # Whichever ends first: the program, or two minutes (a slow reader takes its time).
    sleep 120 >/dev/null &
    local timer=$!
    wait -n "$app" "$timer" || true
    local end=$EPOCHREALTIME
    if kill -0 "$app" 2>/dev/null; then
        echo "The program did not close on Escape." >&2
        return 1
    fi
    kill "$timer"
    echo "$shown $start $released $close $end $(tail -n 1 "$scratch/cpu")" |
        awk '{ printf "%.3f %.3f %.3f %.2f\n", $1 - $2, $3 - $4, $5 - $4, $6 + $7 }'
}

printf 'Load average at the start: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-40s %9s %9s %9s %9s\n' "case (medians of $runs runs)" "shown s" "unlock s" "exit s" \
    "cpu s"
bench() {
    local name=$1
    shift
    local results=()
    for _ in $(seq "$runs"); do results+=("$(run "$@")") || exit 1; done
    printf '%-40s' "$name"
    for field in 1 2 3 4; do
        printf ' %9s' "$(printf '%s\n' "${results[@]}" | cut -d' ' -f$field | median)"
    done
    printf '\n'
}
bench "trace off, pipe" pipe QT_LOGGING_RULES=default.debug=false
bench "trace on, /dev/null" null
bench "trace on, pipe" pipe
bench "trace on, pipe read at 2 MiB/s" slow
bench "trace on through Qt's handler, pipe" pipe "QT_MESSAGE_PATTERN=%{message}"
printf 'Load average at the end: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
