# Sourced by the journeys on a Wayland desktop: a headless sway with
# XWayland, a private session bus, pipewire and the desktop portal with its
# wlroots backend, as a user would have them.
#
# wlroots refuses to run as root, and CI runs as root: as_desktop_user runs
# the calling script again as an unprivileged account, with a copy of the
# programs it needs in a folder that account can read. Inside, start_wayland
# starts the desktop. Provides sway_window, window_rect, wait_for_window,
# answer_box and screenshot, and what waits.sh provides. The program's
# windows run on XWayland, where xdotool drives them.
. "$(dirname "${BASH_SOURCE[0]}")/waits.sh"

# as_desktop_user SCRIPT PROGRAM...: when root, runs SCRIPT again as the
# account "nobody" with copies of the named programs from $SLIDEWRIGHT_BIN,
# and exits with its status. Does nothing for an unprivileged user.
as_desktop_user() {
    local script=$1 copy status program
    shift
    [ "$(id -u)" -eq 0 ] || return 0
    copy=$(mktemp -d /tmp/slidewright-wayland.XXXXXX)
    mkdir -p "$copy/bin" "$copy/tests"
    for program in "$@"; do
        cp "$SLIDEWRIGHT_BIN/$program" "$copy/bin/" || fail "no $program in $SLIDEWRIGHT_BIN"
    done
    cp "$(dirname "$script")"/*.sh "${BASH_SOURCE[0]}" "$copy/tests/" 2>/dev/null
    chmod -R a+rX "$copy"
    chmod 755 "$copy"
    runuser -u nobody -- env -i PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 \
        SLIDEWRIGHT_BIN="$copy/bin" SLIDEWRIGHT_WAYLAND_ARGS="${SLIDEWRIGHT_WAYLAND_ARGS:-}" \
        bash "$copy/tests/$(basename "$script")"
    status=$?
    rm -rf "$copy"
    exit "$status"
}

# start_wayland [OUTPUTS] [WIDTHxHEIGHT] [SCALE]: a desktop of that many
# outputs side by side, each of that size and scale, on a session bus of its
# own. Re-runs the calling script inside the bus the first time.
start_wayland() {
    local outputs=${1:-1} size=${2:-1280x800} scale=${3:-1} n x
    if [ -z "${SLIDEWRIGHT_IN_BUS:-}" ]; then
        local root
        root=$(mktemp -d /tmp/slidewright-desktop.XXXXXX)
        mkdir -p "$root/home" "$root/config" "$root/data" "$root/cache" "$root/runtime" "$root/tmp"
        chmod 700 "$root/runtime"
        HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data" \
            XDG_CACHE_HOME="$root/cache" XDG_RUNTIME_DIR="$root/runtime" TMPDIR="$root/tmp" \
            SLIDEWRIGHT_IN_BUS=1 dbus-run-session -- bash "$0"
        local status=$?
        rm -rf "$root"
        exit "$status"
    fi
    trap stop_wayland EXIT
    export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
    export WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1
    export WLR_HEADLESS_OUTPUTS="$outputs"
    unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
    local config="$XDG_RUNTIME_DIR/sway.conf"
    {
        printf '%s\n' "xwayland force" "default_border none" "default_floating_border normal" \
            "focus_follows_mouse no"
        x=0
        for n in $(seq "$outputs"); do
            echo "output HEADLESS-$n mode $size position $x 0 scale $scale bg #303030 solid_color"
            x=$((x + ${size%x*} / scale))
        done
        echo "exec echo \$DISPLAY > $XDG_RUNTIME_DIR/xwayland-display"
    } >"$config"
    sway -c "$config" >"$XDG_RUNTIME_DIR/sway.log" 2>&1 &
    SWAY_PID=$!
    wait_for 10 sway_socket || { tail -30 "$XDG_RUNTIME_DIR/sway.log"; fail "sway did not start"; }
    SWAYSOCK=$(sway_socket)
    WAYLAND_DISPLAY=$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" | head -n 1)")
    export SWAYSOCK WAYLAND_DISPLAY
    wait_for 10 test -s "$XDG_RUNTIME_DIR/xwayland-display" || fail "sway started no XWayland"
    DISPLAY=$(cat "$XDG_RUNTIME_DIR/xwayland-display")
    export DISPLAY
    wait_for 10 xdpyinfo || fail "XWayland does not answer on $DISPLAY"
    # The portal's GTK part draws its dialogs on Wayland, as on a desktop.
    export GDK_BACKEND=wayland
    dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XDG_CURRENT_DESKTOP \
        XDG_SESSION_TYPE GDK_BACKEND PATH
    pipewire >"$XDG_RUNTIME_DIR/pipewire.log" 2>&1 &
    PIPEWIRE_PID=$!
    wait_for 10 test -S "$XDG_RUNTIME_DIR/pipewire-0" || fail "pipewire did not start"
    # A desktop's portal is running by the time a user records.
    wait_for 20 gdbus call --session --dest org.freedesktop.portal.Desktop \
        --object-path /org/freedesktop/portal/desktop --method org.freedesktop.DBus.Peer.Ping ||
        fail "the desktop portal did not start"
}

sway_socket() {
    compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -n 1 | grep .
}

stop_wayland() {
    [ -n "${PIPEWIRE_PID:-}" ] && kill "$PIPEWIRE_PID" 2>/dev/null
    [ -n "${SWAY_PID:-}" ] && kill "$SWAY_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}

# sway_window NAME-REGEX: the sway node of the first visible window whose
# title matches, as JSON.
sway_window() {
    swaymsg -t get_tree | jq -c --arg name "$1" '
        [recurse(.nodes[]?, .floating_nodes[]?)
         | select(.pid != null and .visible == true and ((.name // "") | test($name)))][0]
        // empty'
}

# window_rect NAME-REGEX: "X Y WIDTH HEIGHT" of the window's content on the
# desktop, in layout pixels.
window_rect() {
    sway_window "$1" | jq -r '"\(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y) \(.window_rect.width) \(.window_rect.height)"'
}

# wait_for_window NAME-REGEX [SECONDS]
window_shown() { [ -n "$(sway_window "$1")" ]; }
wait_for_window() { wait_for "${2:-10}" window_shown "$1"; }

window_focused() {
    [ "$(sway_window "$1" | jq -r .focused)" = true ]
}

window_gone() { ! window_shown "$1"; }

# answer_box TITLE-REGEX: the message box with that title focused and
# answered with Return, as a user at the keyboard does.
answer_box() {
    local title=$1
    for _ in 1 2 3; do
        swaymsg -q "[title=\"$title\"] focus"
        wait_for 2 window_focused "$title"
        xdotool key Return
        wait_for 2 window_gone "$title" && return 0
    done
    return 1
}

# screenshot FILE: the whole desktop, every output.
screenshot() { grim "$1"; }
