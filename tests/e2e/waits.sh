# Sourced by xsession.sh and waylandsession.sh: waits on what the screen
# shows instead of fixed pauses, and the journeys' shared helpers.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# wait_until SECONDS COMMAND...: true once the command succeeds, trying
# every tenth of a second.
wait_until() {
    local tries=$(($1 * 10))
    shift
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

# wait_for SECONDS COMMAND...: wait_until, with the command's output dropped.
wait_for() {
    wait_until "$@" >/dev/null 2>&1
}

# wait_for_exit PID SECONDS: true when the process is gone in time.
gone() { ! kill -0 "$1" 2>/dev/null; }
wait_for_exit() { wait_until "$2" gone "$1"; }

# ended PID WHAT: WHAT ended the program within 5 s, with success.
ended() {
    wait_for_exit "$1" 5 || fail "$2 did not end the program"
    wait "$1" || fail "$2 ended the program with $?"
}

# window_shows WINDOW X Y COLOUR FILE: the window's picture, kept in FILE,
# has that colour (as ImageMagick names it) at X,Y.
window_shows() {
    import -window "$1" "$5" 2>/dev/null && [ "$(pixel "$5" "$2" "$3")" = "$4" ]
}

# shows_picture SHOOT PICTURE WxH+X+Y: what the command SHOOT FILE captures,
# cut to that rectangle, is PICTURE pixel for pixel; sets wrong to the
# number of pixels that differ.
shows_picture() {
    "$1" "$2.screen.png" || return 1
    convert "$2.screen.png" -crop "$3" +repage "$2.shown.png"
    wrong=$(compare -metric AE "$2.shown.png" "$2" null: 2>&1)
    [ "$wrong" = "0" ]
}

# colour_spot FILE X Y W H COLOUR: "X Y" of the middle of the pixels of that
# colour (#RRGGBB) inside the rectangle, on the screen.
colour_spot() {
    local file=$1 x=$2 y=$3 w=$4 h=$5 colour=$6
    convert "$file" -crop "${w}x${h}+${x}+${y}" +repage txt:- |
        awk -v c="$colour" -v ox="$x" -v oy="$y" 'index($0, c) {
            split($1, at, "[,:]"); sx += at[1]; sy += at[2]; n++ }
            END { if (n) printf "%d %d\n", ox + sx / n, oy + sy / n; else exit 1 }'
}
