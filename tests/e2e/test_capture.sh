#!/usr/bin/env bash
# Recording screens with the real binary under Xvfb with openbox: the editor
# opens the capture window, two captures are taken with the pointer, and
# the editor comes back with rows 1 and 2 drawn from SW001.bmp and SW002.bmp.
set -u
. "$(dirname "$0")/xsession.sh"
bin="$SLIDEWRIGHT_BIN/slidewright"
work="${XDG_DATA_HOME:-$HOME/.local/share}/slidewright/BMP"
shots=$(mktemp -d)
red='#D83A32'  # the record mark, on the editor's toolbar and the record button

# find_spot WINDOW NAME: sets spot to the "X Y" on screen of the middle of
# the window's red mark, from a screenshot kept as NAME.png.
find_spot() {
    shot "$shots/$2.png" && spot=$(colour_spot "$shots/$2.png" $(geometry "$1") "$red")
}

colour_at() { convert "$1" -format "%[hex:p{$2,$3}]" info:; }

start_x
"$bin" &
pid=$!
press_launcher Tab space
editor=$(wait_for_window '^Slidewright - ') || fail "the editor did not appear"
wait_until 10 find_spot "$editor" editor || fail "no capture button on the editor's toolbar"
read -r cx cy <<<"$spot"
xdotool mousemove "$cx" "$cy" click 1
copy=$(wait_for_window '^Slidewright　記録$') || fail "the capture window did not open"
editor_hidden() { ! xdotool search --onlyvisible --name '^Slidewright - ' >/dev/null 2>&1; }
wait_until 5 editor_hidden || fail "the editor stayed visible while capturing"
kept_above() { xprop -id "$copy" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
wait_until 5 kept_above || fail "the capture window is not kept on top"
[ "$(xdotool getactivewindow 2>/dev/null)" != "$copy" ] || fail "the capture window took the focus"

wait_until 10 find_spot "$copy" copy || fail "no record button"
read -r rx ry <<<"$spot"
for n in 1 2; do
    file="$work/SW00$n.bmp"
    # The pointer goes on out of the way: resting there, it would bring up
    # the button's tooltip over the mark.
    xdotool mousemove "$rx" "$ry" click 1 mousemove 1270 1010
    wait_until 5 test -s "$file" || fail "capture $n was not saved as $file"
    # Back on screen with the record button enabled (its mark red again).
    wait_until 10 find_spot "$copy" copy ||
        fail "the capture window did not come back ready after capture $n"
    read -r rx ry <<<"$spot"
done
[ "$(xdotool getactivewindow 2>/dev/null)" != "$copy" ] || fail "recording gave the capture window the focus"
size=$(identify -format '%wx%h' "$work/SW002.bmp") || fail "SW002.bmp is no picture"
[ "$size" = "1280x1024" ] || fail "SW002.bmp is $size, not the screen"
[ "$(ls "$work" | grep -c '^SW')" -eq 2 ] || fail "more than two captures: $(ls "$work")"

# The stop button, two buttons to the right of record, closes the window.
xdotool mousemove $((rx + 72)) "$ry" click 1
editor=$(wait_for_window '^Slidewright - ' 5) || fail "the editor did not come back"

# The rows: the toolbar's record mark gives the client area's corner; rows 1
# and 2 show the (black) screen, row 3 stays empty.
rows_drawn() {
    find_spot "$editor" back || return 1
    read -r cx cy <<<"$spot"
    ox=$((cx - 145)) oy=$((cy - 12))
    # find_spot's screenshot of the whole screen is the one to read.
    for column in 8 160; do
        [ "$(colour_at "$shots/back.png" $((ox + column + 75)) $((oy + 64 + 56)))" = "000000" ] ||
            return 1
    done
}
wait_until 10 rows_drawn || fail "rows 1 and 2 do not show the captures"
[ "$(colour_at "$shots/back.png" $((ox + 312 + 75)) $((oy + 64 + 56)))" != "000000" ] ||
    fail "row 3 shows a picture"

kill "$pid" 2>/dev/null
wait_for_exit "$pid" 5
rm -rf "$shots"
echo "capture journey passed"
