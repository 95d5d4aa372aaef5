# Sourced by the scripts that drive the program in an X server of their own, as a user would
# (scripts/screenshots.sh, scripts/windows/test.sh). They set `find_windows` to xdotool's
# search arguments that find the program's windows, and `work` to a scratch folder.
# `windows` holds the program's windows, the one on top last.
windows=()

# Waits for a new window of the program and gives it the focus (there is no window manager).
opened() {
    local w tries
    for tries in $(seq 300); do
        for w in $(xdotool search --onlyvisible "${find_windows[@]}" 2>/dev/null); do
            [[ " ${windows[*]} " == *" $w "* ]] && continue
            windows+=("$w")
            sleep 0.5 # until it is mapped and has painted once
            xdotool windowfocus --sync "$w"
            return 0
        done
        sleep 0.1
    done
    echo "A window of the program did not open." >&2
    return 1
}

# Waits for the top window to go and gives the focus back to the one below.
closed() {
    local gone=${windows[-1]} tries
    unset 'windows[-1]'
    for tries in $(seq 100); do
        xdotool search --onlyvisible "${find_windows[@]}" 2>/dev/null | grep -qx "$gone" || break
        sleep 0.1
    done
    [ ${#windows[@]} -eq 0 ] || xdotool windowfocus --sync "${windows[-1]}"
}

key() { xdotool key --delay 40 "$@"; }
click() { xdotool mousemove --window "${windows[-1]}" "$1" "$2" click 1; }

# Saves the top window as the PNG file $1 once it has finished painting: two captures in a
# row are the same.
capture() {
    local tries
    xdotool mousemove 0 0 # no hover highlight in the picture
    for tries in $(seq 50); do
        import -window "${windows[-1]}" "$work/a.png"
        sleep 0.1
        import -window "${windows[-1]}" "$work/b.png"
        cmp -s "$work/a.png" "$work/b.png" && break
    done
    convert "$work/b.png" -strip "$1"
}
