# Sourced by the journeys after xsession.sh: waits on what the screen shows
# instead of fixed pauses.

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

# window_shows WINDOW X Y COLOUR FILE: the window's picture, kept in FILE,
# has that colour (as ImageMagick names it) at X,Y.
window_shows() {
    import -window "$1" "$5" 2>/dev/null && [ "$(pixel "$5" "$2" "$3")" = "$4" ]
}
