#!/usr/bin/env bash
# A scaled screen under Xvfb with openbox: at 2x and at 1.5x the player
# shows a picture of odd size in a window of exactly its size in device
# pixels, every pixel the picture's own.
set -u
. "$(dirname "$0")/xsession.sh"
bin="$SLIDEWRIGHT_BIN/slidewright"
work=$(mktemp -d)
trap 'rm -rf "$work"; stop_x' EXIT

SLIDEWRIGHT_KEEP_FRAMES=$work "$SLIDEWRIGHT_BIN/make_player_package" "$work/noise.sdw" 0 0 \
    811x537:100:noise || fail "make_player_package failed"
start_x

for scale in 2 1.5; do
    QT_SCALE_FACTOR=$scale "$bin" "$work/noise.sdw" &
    pid=$!
    press_launcher Return
    win=$(player_window "$pid" 811 537) ||
        fail "at ${scale}x the player is not 811x537 device pixels: $(xdotool search --onlyvisible --pid "$pid" | while read -r w; do geometry "$w"; done)"
    read -r x y _ _ < <(geometry "$win")
    # Left of the buttons at the right edge: 57 points wide, plus a margin.
    width=$(awk -v s="$scale" 'BEGIN { printf "%d", 811 - 60 * s }')
    convert "$work/SW001.bmp" -crop "${width}x537+0+0" +repage "$work/picture.png"
    wait_until 5 shows_picture shot "$work/picture.png" "${width}x537+${x}+${y}" || fail "at ${scale}x $wrong pixels differ from the picture"
    kill "$pid"
    wait_for_exit "$pid" 5 || fail "the player did not end at ${scale}x"
done
echo "hidpi journey passed"
