# Sourced by the benchmark scripts that time the built program from outside
# (bench-startup.sh, bench-dialogs.sh), after they have set `program`: a scratch folder and a
# private Xvfb for the script's life, the program started on a fresh copy of the data file
# with its standard error where a case wants it, and the median of numbers.

scratch=$(mktemp -d)
# Xvfb picks a free display and prints its number once it takes connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$scratch/display") XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# startProgram SINK [VARIABLE=VALUE...]: the program, with the variables set, in
# $scratch/run on a fresh copy of $scratch/Smeltwork.dat, its user and system seconds into
# $scratch/cpu (GNU time), and its stderr on /dev/null (null), piped into cat (pipe) or into
# a reader that takes 2 MiB a second (slow, `pv -q -L 2m`, as a slow terminal). $! is its job.
startProgram() {
    local sink=$1 reader=cat
    shift
    rm -rf "$scratch/run"
    mkdir "$scratch/run"
    cp "$scratch/Smeltwork.dat" "$scratch/run/"
    [ "$sink" = slow ] && reader="pv -q -L 2m"
    if [ "$sink" = null ]; then
        (cd "$scratch/run" && exec env "$@" /usr/bin/time -f "%U %S" -o "$scratch/cpu" \
            "$program" >/dev/null 2>&1) &
    else
        # The shell's own stderr elsewhere: it would tell of a program killed.
        (cd "$scratch/run" && env "$@" /usr/bin/time -f "%U %S" -o "$scratch/cpu" \
            "$program" 2>&1 >/dev/null | $reader >/dev/null) 2>/dev/null &
    fi
}

# programWindow JOB: waits (polling every 5 ms, at most 30 s) until the administration window
# is shown and prints its id; fails when the program or Xvfb ends first.
programWindow() {
    local window= polls=0
    until window=$(xdotool search --onlyvisible --name '^Smeltwork - Admin$' 2>/dev/null | head -n1) &&
        [ -n "$window" ]; do
        if ! kill -0 "$1" "$xvfb" 2>/dev/null || [ $((polls += 1)) -gt 6000 ]; then
            echo "The program's window did not appear:" "$(cat "$scratch/cpu" 2>/dev/null)" >&2
            return 1
        fi
        sleep 0.005
    done
    echo "$window"
}

# startUntilShown SINK [VARIABLE=VALUE...]: startProgram, then programWindow; sets `app` (the
# job), `window` and `startedAt` (the time of the start). Now and then a start fails to reach
# the X server (Qt says it could not load its xcb plugin, and ends): it is started again, at
# most three times.
startUntilShown() {
    for _ in 1 2 3; do
        startedAt=$EPOCHREALTIME
        startProgram "$@"
        app=$!
        window=$(programWindow "$app") && return 0
        wait "$app" 2>/dev/null || true
    done
    return 1
}
