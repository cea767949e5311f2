#!/usr/bin/env bash
# Recording on a Wayland desktop: headless sway with two outputs, XWayland
# and the desktop portal. The real program runs its windows on XWayland,
# goes from the launcher to the editor to the capture window, and records
# the whole desktop through the portal: both outputs, the native Wayland
# windows on them, and nothing of the capture window. The active-window
# choice is told once; a failing portal adds no frame and says so.
set -u
. "$(dirname "$0")/waylandsession.sh"
as_desktop_user "$0" slidewright libunlha32.so solid_window
# The portal's backend takes its screenshots with grim, found on the path
# the session gives it: a grim that fails on demand lets the real portal
# fail as it does when the screen cannot be read.
tools="${XDG_RUNTIME_DIR:-}/tools"
if [ -n "${SLIDEWRIGHT_IN_BUS:-}" ]; then
    mkdir -p "$tools"
    printf '#!/bin/sh\n[ -e "%s/fail" ] && exit 1\nexec /usr/bin/grim "$@"\n' "$tools" >"$tools/grim"
    chmod +x "$tools/grim"
    export PATH="$tools:$PATH"
fi
start_wayland 2 1280x800

bin="$SLIDEWRIGHT_BIN/slidewright"
work="$XDG_DATA_HOME/slidewright/BMP"
shots=$(mktemp -d)
green='#20C040' magenta='#C02080' red='#D83A32'

# unique_colour FILE X Y W H: the one colour of that area, or nothing.
unique_colour() {
    local colours
    colours=$(convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -unique-colors txt:- | grep -o '#[0-9A-F]\{6\}')
    [ "$(echo "$colours" | wc -l)" -eq 1 ] && echo "$colours"
}

# A user's native Wayland window on each output.
QT_QPA_PLATFORM=wayland "$SLIDEWRIGHT_BIN/solid_window" left "$green" &
wait_for_window '^left$' || fail "no Wayland window on the first output"
swaymsg -q "focus output HEADLESS-2"
QT_QPA_PLATFORM=wayland "$SLIDEWRIGHT_BIN/solid_window" right "$magenta" &
wait_for_window '^right$' || fail "no Wayland window on the second output"
swaymsg -q "focus output HEADLESS-1"
[ "$(sway_window '^left$' | jq -r .shell)" = "xdg_shell" ] || fail "the user's window is no Wayland window"

# Settings with the active-window choice ticked.
mkdir -p "$XDG_CONFIG_HOME/slidewright"
printf '[TOP   ],1500\r\n[LEFT  ],1500\r\n[SAGYOU],%s\r\n[HOZON ],%s\r\n[COLOR ],0\r\n[TIMER ],0\r\n[RENZOK],0\r\n[ACTIVE],1\r\n' \
    "$work" "$HOME" >"$XDG_CONFIG_HOME/slidewright/Slidewright.ini"

"$bin" >"$shots/program.log" 2>&1 &
pid=$!
wait_for_window '^Slidewright$' || fail "the launcher did not appear"
[ "$(sway_window '^Slidewright$' | jq -r .shell)" = "xwayland" ] ||
    fail "the program's windows do not run on XWayland"
read -r x y w h < <(window_rect '^Slidewright$')
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1  # 編　集, the middle button
wait_for_window '^Slidewright - ' || fail "the editor did not appear"

# The editor's capture button, then the capture window's record button.
read -r x y w h < <(window_rect '^Slidewright - ')
# The test's own screenshots pass by the grim that fails on demand.
red_in() { /usr/bin/grim "$shots/$1.png" && colour_spot "$shots/$1.png" "$2" "$3" "$4" "$5" "$red"; }
read -r cx cy < <(wait_until 5 red_in editor "$x" "$y" "$w" 80) ||
    fail "no capture button on the editor's toolbar"
xdotool mousemove "$cx" "$cy" click 1
wait_for_window '記録$' || fail "the capture window did not open"
wait_for 5 window_gone '^Slidewright - ' || fail "the editor stayed visible while capturing"
read -r x y w h < <(window_rect '記録$')
copy_rect="$x $y $w $h"
read -r rx ry < <(wait_until 5 red_in copy "$x" "$y" "$w" "$h") || fail "no record button"

# Waits for the record button to be enabled again (its mark red).
ready() { wait_until 5 red_in copy $copy_rect >/dev/null || fail "the record button is not ready"; }
# Records once ready; the pointer goes on out of the way, lest the button's
# tooltip cover the mark.
record() { ready && xdotool mousemove "$rx" "$ry" click 1 mousemove 10 790; }

# The first record tells that only the whole screen can be copied.
record
wait_for_window 'ｱｸﾃｨﾌﾞ画面を記録' || fail "the active-window choice was not explained"
answer_box 'ｱｸﾃｨﾌﾞ画面を記録' || fail "the active-window message could not be answered"
wait_for 10 test -s "$work/SW001.bmp" || fail "the first capture was not saved"
convert "$work/SW001.bmp" "$shots/SW001.png"
[ "$(identify -format '%wx%h' "$shots/SW001.png")" = "2560x800" ] ||
    fail "the capture does not cover both outputs: $(identify -format '%wx%h' "$shots/SW001.png")"
[ "$(unique_colour "$shots/SW001.png" 0 0 1280 800)" = "$green" ] ||
    fail "the first output is not just the user's window (the capture window at $copy_rect)"
[ "$(unique_colour "$shots/SW001.png" 1280 0 1280 800)" = "$magenta" ] ||
    fail "the second output is not just the user's window"

# Told once a run: the next record says nothing.
wait_for_window '記録$' 5 || fail "the capture window did not come back"
record
wait_for 10 test -s "$work/SW002.bmp" || fail "the second capture was not saved"
[ -z "$(sway_window 'ｱｸﾃｨﾌﾞ画面を記録')" ] || fail "the active-window message came twice"

# A portal whose backend cannot take the screenshot: a message, no frame.
touch "$tools/fail"
record
wait_for_window '記録中止' || fail "a failing portal showed no message"
[ ! -e "$work/SW003.bmp" ] || fail "a failed copy was saved as a frame"
answer_box '記録中止' || fail "the message could not be answered"

# The window is ready for the next try once the portal works again.
rm "$tools/fail"
record
wait_for 10 test -s "$work/SW003.bmp" || fail "the capture window was not usable after a failure"

kill "$pid"
wait "$pid" 2>/dev/null
rm -rf "$shots"
echo "wayland capture journey passed"
