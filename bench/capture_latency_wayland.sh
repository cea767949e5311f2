#!/usr/bin/env bash
# The Wayland half of capture_latency.sh: SLIDEWRIGHT_WAYLAND_ARGS holds the
# desktop's size and the number of rounds.
set -u
session="$(dirname "$0")/waylandsession.sh"
[ -f "$session" ] || session="$(dirname "$0")/../tests/e2e/waylandsession.sh"
. "$session"
as_desktop_user "$0" capture_latency libunlha32.so
read -r size rounds <<<"$SLIDEWRIGHT_WAYLAND_ARGS"
start_wayland 1 "$size"
"$SLIDEWRIGHT_BIN/capture_latency" "$rounds"
