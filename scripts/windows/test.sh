#!/usr/bin/env bash
# Tries the Windows build of scripts/windows/build.sh under Wine: the tests that need no
# window (tst_rules, tst_files, tst_tool) with Qt's offscreen platform, then the program
# itself in a private Xvfb on a copy of the example data. Its main window is saved as
# docs/screenshots/windows.png; the body editor's lock indicators must follow Caps Lock and
# Num Lock (GetKeyState); Escape closes every window, and so does a logoff, and the files
# written on closing must be the very bytes read. One PASS or FAIL line per step; the exit
# status is 1 when any step failed.
# Usage: scripts/windows/test.sh
set -uo pipefail
cd "$(dirname "$0")/../.."
top=$PWD
build=$top/build-windows
cache=${SMELT_WINDOWS_CACHE:-$HOME/.cache/smeltwork-windows}
qt=$cache/qt6-mingw64
deploy=$build/SmeltworkAdmin
if [ ! -x "$deploy/SmeltworkAdmin.exe" ]; then
    echo "No Windows build: run scripts/windows/build.sh first" >&2
    exit 2
fi

# A Wine of the project's own, without the .NET and browser engines it would offer to
# install, and quiet.
export WINEPREFIX=$cache/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
logs=$build/test-logs
rm -rf "$logs"
mkdir -p "$logs"

# Xvfb picks a free display and writes its number to the pipe once it accepts connections.
# -noreset: the lock states stay while Wine's connections come and go.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
    >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
    [ -z "$app" ] || kill "$app" 2>/dev/null
    wineserver -k 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
read -r number <"$work/display"
export DISPLAY=:$number

failed=0
pass() { echo "PASS $*"; }
fail() {
    echo "FAIL $*"
    failed=1
}

if [ ! -f "$WINEPREFIX/.smeltwork-ready" ]; then
    if wineboot --init >"$logs/wineboot.log" 2>&1 && wineserver -w; then
        touch "$WINEPREFIX/.smeltwork-ready"
    fi
fi
if [ -f "$WINEPREFIX/.smeltwork-ready" ]; then
    pass "Wine prefix $WINEPREFIX"
else
    fail "Wine prefix $WINEPREFIX (see $logs/wineboot.log)"
    exit 1
fi

# The tests find the DLLs and plugins of the cross-built Qt, and MinGW's runtime, in place.
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
winepath_of() { echo "Z:${1//\//\\}"; }
export WINEPATH="$(winepath_of "$qt/bin");$(winepath_of "$runtime");$(winepath_of /usr/x86_64-w64-mingw32/lib)"

# Each test program, with Qt Test's totals in the line. A skipped case says why in the log,
# which Qt Test writes itself: its output on Wine's standard output gets lost.
for test in tst_rules tst_files tst_tool; do
    log=$logs/$test.log
    (cd "$work" && QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$(winepath_of "$qt/plugins")" \
        timeout 600 wine "$build/$test.exe" -o "$(winepath_of "$log"),txt") >"$log.wine" 2>&1
    status=$?
    totals=$(grep -a '^Totals:' "$log" | tail -n1 | tr -d '\r')
    if [ "$status" -eq 0 ] && [ -n "$totals" ]; then
        pass "$test under Wine: ${totals#Totals: } (the reasons for skips in $log)"
    else
        fail "$test under Wine: exit status $status, ${totals:-no totals} (see $log)"
    fi
done

# The program on a copy of the examples (examples/ is never written).
data=$work/data
mkdir -p "$data"
cp examples/Smeltwork.dat examples/Smeltwork.hlp "$data/"
# The program's windows are found by their title.
find_windows=(--name '^Smeltwork')
source scripts/xwindows.sh

# The pixels of the editor's status bar corner, where the indicators are, as a checksum.
indicators() {
    capture "$work/editor.png"
    convert "$work/editor.png" -gravity SouthEast -crop 120x24+0+0 +repage rgb:- | md5sum
}

# Waits up to 30 s for the program to end; `status` says how: its exit status, or not yet.
ended() {
    status="still running after 30 s"
    for _ in $(seq 300); do
        if ! kill -0 "$app" 2>/dev/null; then
            wait "$app"
            status=$?
            break
        fi
        sleep 0.1
    done
    app=
}

# Each file's inode and time of change: a save replaces the file, so both change.
declare -A before
remember() {
    local file
    for file in Smeltwork.dat Smeltwork.hlp; do
        before[$file]=$(stat -c '%i %z' "$data/$file")
    done
    sleep 1 # so that a time of change a second later can tell
}

# The files the program wrote as it ended (those after the first argument) are the very
# bytes it read. They must have been written: files left alone would compare equal too.
unchanged() {
    local when=$1 file
    shift
    for file in "$@"; do
        if [ "$(stat -c '%i %z' "$data/$file")" = "${before[$file]}" ]; then
            fail "$file written $when: it was not written"
        elif cmp "examples/$file" "$data/$file" >"$logs/cmp.log" 2>&1; then
            pass "$file written $when is byte for byte the one read"
        else
            fail "$file written $when is byte for byte the one read: $(cat "$logs/cmp.log")"
        fi
    done
}

# Starts the program in the folder of the copy, as a user would from a console there.
start() {
    windows=()
    remember
    (cd "$data" && exec wine "$deploy/SmeltworkAdmin.exe") >>"$logs/SmeltworkAdmin.log" 2>&1 &
    app=$!
}

key Num_Lock
start
if opened; then
    capture "$top/docs/screenshots/windows.png"
    pass "SmeltworkAdmin.exe shows its window on the examples: docs/screenshots/windows.png"
else
    fail "SmeltworkAdmin.exe shows its window on the examples (see $logs/SmeltworkAdmin.log)"
fi

# The body editor reads the locks with GetKeyState when it opens and when a lock key is
# released inside it. Num Lock is on before it opens; then Caps Lock goes on, Num Lock off
# and Caps Lock off again, and the indicators must look different in each of the four.
if [ ${#windows[@]} -eq 1 ]; then
    key alt+h
    # The first topic, then Open Editor, where the Windows style lays them out.
    opened && click 60 27 && click 379 342 && opened
    sums=("$(indicators)")
    key Caps_Lock
    sleep 1
    sums+=("$(indicators)")
    key Num_Lock
    sleep 1
    sums+=("$(indicators)")
    cp "$work/editor.png" "$logs/editor-caps-on.png"
    key Caps_Lock
    sleep 1
    sums+=("$(indicators)")
    if [ ${#windows[@]} -eq 3 ] && [ "$(printf '%s\n' "${sums[@]}" | sort -u | wc -l)" -eq 4 ]; then
        pass "the body editor's lock indicators follow GetKeyState (Num; Num, Caps; Caps; none)"
    else
        fail "the body editor's lock indicators follow GetKeyState (see $logs/editor-caps-on.png)"
    fi
    # Escape closes the editor and the help window; nothing was changed.
    while [ ${#windows[@]} -gt 1 ]; do
        key Escape
        closed
    done
fi

# Escape closes the main window as a user would; the program saves and ends.
if [ ${#windows[@]} -eq 1 ]; then
    key Escape
    closed
fi
ended
if [ "$status" = 0 ]; then
    pass "Escape ends SmeltworkAdmin.exe with status 0"
else
    fail "Escape ends SmeltworkAdmin.exe with status 0: $status (see $logs/SmeltworkAdmin.log)"
fi
unchanged "on closing" Smeltwork.dat Smeltwork.hlp

# A logoff asks the windows whether the session may end (WM_QUERYENDSESSION); the program
# closes its window and saves as if the user had closed it.
start
if opened; then
    wineboot --end-session >"$logs/end-session.log" 2>&1 &
    endsession=$!
    ended
    wait "$endsession"
else
    status="no window"
fi
if [ "$status" = 0 ]; then
    pass "a logoff (wineboot --end-session) ends SmeltworkAdmin.exe with status 0"
else
    fail "a logoff (wineboot --end-session) ends SmeltworkAdmin.exe with status 0: $status"
fi
unchanged "at the logoff" Smeltwork.dat # the help file is written only by its window

exit "$failed"
