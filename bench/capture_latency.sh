#!/usr/bin/env bash
# Record button to saved frame, delay 0, with the real capture window:
# on X11 (Xvfb with openbox) and on a headless Wayland desktop (sway, the
# desktop portal), at 1280x800 and 1920x1080.
#   bench/capture_latency.sh [BUILD] [ROUNDS]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
rounds=${2:-10}
isolated="$here/../tests/isolated.sh"

for size in 1280x800 1920x1080; do
    printf 'X11      '
    XVFB_SCREEN="${size}x24" "$isolated" bash -c \
        ". '$here/../tests/e2e/xsession.sh'; start_x; '$build/bin/capture_latency' $rounds"
    printf 'Wayland  '
    SLIDEWRIGHT_BIN="$build/bin" SLIDEWRIGHT_WAYLAND_ARGS="$size $rounds" \
        "$isolated" bash "$here/capture_latency_wayland.sh" 2>/dev/null | grep 'median'
done
