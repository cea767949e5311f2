# Sourced by the journeys: a private X server with a real window manager.
# Provides start_x, wait_for_window, visible_windows and shot.

start_x() {
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" 2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(cat "$fd_file")"
    rm -f "$fd_file"
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    openbox --sm-disable >/dev/null 2>&1 &
    OPENBOX_PID=$!
    # openbox is up once it owns the root's window-manager selection.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    trap stop_x EXIT
}

stop_x() {
    [ -n "${OPENBOX_PID:-}" ] && kill "$OPENBOX_PID" 2>/dev/null
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}

# wait_for_window NAME-REGEX [SECONDS]: prints the first visible match.
wait_for_window() {
    local name=$1 seconds=${2:-10} found
    for _ in $(seq $((seconds * 20))); do
        found=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1)
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# visible_windows PID: the visible top-level windows that process shows.
visible_windows() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l
}

# wait_for_exit PID SECONDS: true when the process is gone in time.
wait_for_exit() {
    local pid=$1 seconds=$2
    for _ in $(seq $((seconds * 20))); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.05
    done
    return 1
}

shot() {
    import -window root "$1" 2>/dev/null
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
