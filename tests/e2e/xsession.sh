# Sourced by the journeys: a private X server with a real window manager.
# Provides start_x, wait_for_window, press_launcher, visible_windows, shot,
# editor_top and drag_files, and what waits.sh provides.
. "$(dirname "${BASH_SOURCE[0]}")/waits.sh"

# Display numbers chosen by -displayfd alone start at 0 and only look at this
# machine's lock files, while X clients try the abstract socket first, which
# another sandbox's server may hold: a random high number, taken only once
# our own server says (through -displayfd) that it listens on every socket,
# so no client can reach someone else's server by that number.
server_said() { [ -s "$1" ] || gone "$XVFB_PID"; }  # gone: the number is taken
start_server() {
    local number ready
    ready=$(mktemp)
    for _ in $(seq 20); do
        number=$((RANDOM % 20000 + 2000))
        : >"$ready"
        Xvfb ":$number" -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp \
            3>"$ready" >/dev/null 2>&1 &
        XVFB_PID=$!
        if wait_until 10 server_said "$ready" && [ -s "$ready" ]; then
            rm -f "$ready"
            export DISPLAY=":$number"
            return 0
        fi
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    done
    rm -f "$ready"
    return 1
}

# openbox owns the screen a little before it manages windows, and a window
# mapped in between may stay unmanaged for good: wait until a probe window
# gets its frame (WM_STATE), with a fresh probe every two seconds.
probe_managed() {
    local probe
    probe=$(xdotool search --name '^xsession-probe$' 2>/dev/null | head -n 1)
    [ -n "$probe" ] && xprop -id "$probe" WM_STATE 2>/dev/null | grep -q 'window state'
}
wait_for_window_manager() {
    local probe_pid managed=1
    for _ in $(seq 5); do
        xmessage -title xsession-probe -geometry +0+0 probe >/dev/null 2>&1 &
        probe_pid=$!
        wait_until 2 probe_managed && managed=0
        kill "$probe_pid" 2>/dev/null
        wait "$probe_pid" 2>/dev/null
        [ "$managed" -eq 0 ] && return 0
    done
    return 1
}

# A window manager that never takes charge gets a fresh server and a fresh
# openbox rather than failing the journey on a start-up race.
start_x() {
    trap stop_x EXIT
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_SESSION_TYPE
    local log
    log=$(mktemp)
    for _ in 1 2 3; do
        start_server || fail "no X server could be started"
        openbox --sm-disable >"$log" 2>&1 &
        OPENBOX_PID=$!
        if wait_for_window_manager; then
            rm -f "$log"
            return 0
        fi
        echo "openbox on $DISPLAY managed no window; starting again: $(tail -n 3 "$log")" >&2
        stop_x
        OPENBOX_PID='' XVFB_PID=''
    done
    fail "openbox manages no windows"
}

stop_x() {
    [ -n "${OPENBOX_PID:-}" ] && kill "$OPENBOX_PID" 2>/dev/null
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}

# wait_for_window NAME-REGEX [SECONDS]: prints the first visible match.
shown_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep .; }
wait_for_window() { wait_until "${2:-10}" shown_window "$1"; }

# press_launcher KEY...: the keys, once the launcher shows, pressed on it
# (Return: 再　生, which has the focus; Tab space: 編　集).
press_launcher() {
    local launcher
    launcher=$(wait_for_window '^Slidewright$') || fail "the launcher did not appear"
    xdotool windowactivate --sync "$launcher" key --clearmodifiers "$@"
}

# visible_windows PID: the visible top-level windows that process shows.
visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l; }

shot() { import -window root "$1" 2>/dev/null; }

# geometry WINDOW: "X Y WIDTH HEIGHT" of a window.
geometry() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '
        /^X=/ {x=$2} /^Y=/ {y=$2} /^WIDTH=/ {w=$2} /^HEIGHT=/ {h=$2}
        END {print x, y, w, h}'
}

# player_window PID WIDTH HEIGHT [SECONDS]: the process's visible window of
# that size.
sized_window() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        [ "$(geometry "$id" | cut -d' ' -f3,4)" = "$2 $3" ] && echo "$id" && return 0
    done
    return 1
}
player_window() { wait_until "${4:-10}" sized_window "$1" "$2" "$3"; }

# pixel FILE X Y: the colour there, as ImageMagick names it.
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }

# editor_top WINDOW: how far below the editor window's top its rows start,
# told by the first sound box's grey (a run of it, not a stray pixel of the
# menus' text; the box's own top is at 177).
editor_top() {
    local shot grey
    shot=$(mktemp --suffix=.png)
    import -window "$1" "$shot" 2>/dev/null || return 1
    grey=$(convert "$shot" -crop 1x400+91+0 txt:- |
        awk -F'[,:]' '/#E0E0E0/ {if (++run == 8) {print $2 - 7; exit}; next} {run = 0}')
    rm -f "$shot"
    [ -n "$grey" ] && [ "$((grey - 178))" -ge 0 ] && [ "$((grey - 178))" -le 60 ] || return 1
    echo $((grey - 178))
}

# drag_files WINDOW X Y FILE...: drags the files from a stand-in file
# manager (xdnd_source) and lets go at X,Y inside WINDOW.
drag_files() {
    local window=$1 x=$2 y=$3 log source_pid source
    shift 3
    log=$(mktemp)
    "$SLIDEWRIGHT_BIN/xdnd_source" "$@" >"$log" 2>&1 &
    source_pid=$!
    source=$(wait_for_window '^xdnd-source$') || fail "the drag source did not appear"
    xdotool mousemove --sync --window "$source" 80 50 mousedown 1
    sleep 0.3
    # The pointer travels, as a hand would: the drag follows motion.
    for point in "$source 150 60" "$window 10 10" "$window $((x - 5)) $((y - 5))" "$window $x $y"; do
        xdotool mousemove --sync --window $point
        sleep 0.1
    done
    sleep 0.2
    xdotool mouseup 1
    if ! wait_for_exit "$source_pid" 5; then
        kill "$source_pid" 2>/dev/null
        fail "the drag onto $x,$y never ended"
    fi
    wait "$source_pid" || fail "the drop onto $x,$y was not taken: $(cat "$log")"
    rm -f "$log"
}
