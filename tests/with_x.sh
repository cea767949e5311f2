#!/usr/bin/env bash
# Runs one test program under its own Xvfb with openbox, as the xcb
# platform: for tests of what only a real X server and window manager do.
set -u

# Display numbers chosen by -displayfd start at 0 and only look at this
# machine's lock files, while X clients try the abstract socket first, which
# another sandbox's server may hold: a random high number, checked to be a
# fresh server of ours, avoids both.
start_server() {
    local number
    for _ in $(seq 20); do
        number=$((RANDOM % 20000 + 2000))
        Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 100); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            if xdpyinfo -display ":$number" >/dev/null 2>&1; then
                if xprop -display ":$number" -root _NET_SUPPORTING_WM_CHECK 2>/dev/null |
                    grep -q 'window id'; then
                    break  # someone else's session answers on that number
                fi
                export DISPLAY=":$number"
                return 0
            fi
            sleep 0.05
        done
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    done
    return 1
}

stop_all() {
    [ -n "${OPENBOX_PID:-}" ] && kill "$OPENBOX_PID" 2>/dev/null
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}
trap stop_all EXIT

start_server || { echo "with_x: no X server could be started" >&2; exit 1; }
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
OPENBOX_PID=$!

# openbox owns the screen a little before it manages windows, and a window
# mapped in between may stay unmanaged for good: wait until a probe window
# gets its frame (WM_STATE), with a fresh probe every two seconds.
probe_pid=
managed=
for attempt in $(seq 15); do
    xmessage -title with_x-probe -geometry +0+0 probe >/dev/null 2>&1 &
    probe_pid=$!
    for _ in $(seq 20); do
        probe=$(xdotool search --name '^with_x-probe$' 2>/dev/null | head -n 1)
        if [ -n "$probe" ] && xprop -id "$probe" WM_STATE 2>/dev/null | grep -q 'window state'; then
            managed=1
            break
        fi
        sleep 0.1
    done
    kill "$probe_pid" 2>/dev/null
    wait "$probe_pid" 2>/dev/null
    [ -n "$managed" ] && break
done
[ -n "$managed" ] || { echo "with_x: openbox manages no windows" >&2; exit 1; }
"$@"
