#!/usr/bin/env bash
# A Wayland desktop on a 2x screen: XWayland would blow every window up, so
# the program runs as a native Wayland client, and its player shows each
# picture pixel as one pixel of the screen.
set -u
. "$(dirname "$0")/waylandsession.sh"
as_desktop_user "$0" slidewright libunlha32.so make_player_package
start_wayland 1 2400x1600 2

work=$(mktemp -d)
SLIDEWRIGHT_KEEP_FRAMES=$work "$SLIDEWRIGHT_BIN/make_player_package" "$work/noise.sdw" 0 0 \
    810x536:100:noise || fail "make_player_package failed"
"$SLIDEWRIGHT_BIN/slidewright" "$work/noise.sdw" >"$work/program.log" 2>&1 &
pid=$!
wait_for_window '^Slidewright$' || fail "the launcher did not appear"
[ "$(sway_window '^Slidewright$' | jq -r .shell)" = "xdg_shell" ] ||
    fail "on a 2x screen the program does not run natively"
wait_for 5 window_focused '^Slidewright$' || fail "the launcher has no focus"
# 再　生 has the focus. wtype brings a keyboard of its own: the pause lets
# the program take it before the key comes.
wtype -s 500 -k Return
player_shown() {
    [ "$(sway_window '^Slidewright$' | jq -r .window_rect.width)" = 405 ]
}
wait_for 10 player_shown ||
    fail "no player window of 405 points: $(sway_window '^Slidewright$')"
read -r x y _ _ < <(window_rect '^Slidewright$')
# Left of the buttons, 57 points wide at the right edge.
convert "$work/SW001.bmp" -crop 690x536+0+0 +repage "$work/picture.png"
wait_until 5 shows_picture screenshot "$work/picture.png" "690x536+$((x * 2))+$((y * 2))" ||
    fail "$wrong pixels differ from the picture"
kill "$pid"
rm -rf "$work"
echo "scaled wayland journey passed"
