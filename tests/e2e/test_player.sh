#!/usr/bin/env bash
# The player's journeys with the real binary under Xvfb with openbox: a
# package named on the command line, manual and automatic play, and the
# open dialog when no package is named.
set -u
. "$(dirname "$0")/xsession.sh"
bin="$SLIDEWRIGHT_BIN/slidewright"
work=$(mktemp -d)

"$SLIDEWRIGHT_BIN/make_player_package" "$work/manual movie.sdw" 0 0 400x300:100:ff0000 500x350:100:0000ff ||
    fail "no manual package"
"$SLIDEWRIGHT_BIN/make_player_package" "$work/auto.sdw" 1 0 300x200:300:00ff00 300x200:300:ffff00 200x100:300:ff00ff ||
    fail "no automatic package"
start_x

# A package on the command line, played by hand.
"$bin" "$work/manual movie.sdw" &
pid=$!
press_launcher Return
win=$(player_window "$pid" 400 300) || fail "the player did not show frame 1 at 400x300"
picture="srgb(255,0,0)"
wait_until 5 window_shows "$win" 10 10 "$picture" "$work/frame1.png" || fail "frame 1 is not drawn"
# The buttons stand at the picture's right edge and cover nothing more.
[ "$(pixel "$work/frame1.png" 371 60)" != "$picture" ] || fail "no buttons at the right edge"
[ "$(pixel "$work/frame1.png" 320 12)" = "$picture" ] || fail "something stands left of the buttons"
[ "$(pixel "$work/frame1.png" 371 90)" = "$picture" ] || fail "something stands below the buttons"
corner=$(geometry "$win" | cut -d' ' -f1,2)

xdotool mousemove --window "$win" 40 200 click --repeat 2 --delay 80 1
win2=$(player_window "$pid" 500 350 5) || fail "a double-click did not show frame 2"
[ "$(geometry "$win2" | cut -d' ' -f1,2)" = "$corner" ] || fail "frame 2 moved the window's corner"
xdotool mousemove --window "$win2" 40 200 click --repeat 2 --delay 80 1
ended "$pid" "the last frame's double-click"

# Automatic play ends by itself after the last frame.
"$bin" "$work/auto.sdw" &
pid=$!
press_launcher Return
player_window "$pid" 300 200 >/dev/null || fail "the automatic movie did not start"
player_window "$pid" 200 100 5 >/dev/null || fail "the automatic movie did not reach frame 3"
ended "$pid" "the automatic movie's last frame"

# No package: the open dialog, and its cancel ends the program.
"$bin" &
pid=$!
press_launcher Return
dialog=$(wait_for_window '開くﾌｧｲﾙを指定してください。') || fail "no open dialog without a package"
xdotool windowactivate --sync "$dialog" key --clearmodifiers Escape
ended "$pid" "cancelling the open dialog"

rm -rf "$work"
echo "player journeys passed"
