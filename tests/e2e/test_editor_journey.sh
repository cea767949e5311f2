#!/usr/bin/env bash
# A movie made by hand with the real binary under Xvfb with openbox: the
# editor takes three pictures and a sound dragged from a stand-in file
# manager through X's own drag and drop, gets automatic mode and waits,
# is saved through its save dialog and closed; the program started again
# with the package plays what was made.
set -u
. "$(dirname "$0")/xsession.sh"
bin="$SLIDEWRIGHT_BIN/slidewright"
work=$(mktemp -d)
package="$work/journey.sdw"
data="$SLIDEWRIGHT_SOURCE_DIR/tests/data/editor_journey"

for picture in 300x200:ff0000:red 320x240:00ff00:green 400x300:0000ff:blue; do
    IFS=: read -r size colour name <<<"$picture"
    convert -size "$size" "xc:#$colour" -type TrueColor BMP3:"$work/$name.bmp" || fail "no convert"
done
cp "$data/chime.wav" "$work/" || fail "no test sound"
start_x

"$bin" &
pid=$!
press_launcher Tab space
editor=$(wait_for_window '^Slidewright - 新規ファイル$') || fail "the editor did not open"
top=$(wait_until 5 editor_top "$editor") || fail "no sound box found in the editor"

# Thumbnails are 151x113 from (8|160|312, 64); the first sound box from
# (24, 177), 134x18.
drag_files "$editor" 83 $((top + 120)) "$work/red.bmp"
drag_files "$editor" 235 $((top + 120)) "$work/green.bmp"
drag_files "$editor" 387 $((top + 120)) "$work/blue.bmp"
drag_files "$editor" 91 $((top + 186)) "$work/chime.wav"
wait_until 5 window_shows "$editor" 387 $((top + 120)) "srgb(0,0,255)" "$work/filled.png" ||
    fail "row 3 shows no blue thumbnail"
[ "$(pixel "$work/filled.png" 83 $((top + 120)))" = "srgb(255,0,0)" ] ||
    fail "row 1 shows no red thumbnail: $(pixel "$work/filled.png" 83 $((top + 120)))"
[ "$(pixel "$work/filled.png" 235 $((top + 120)))" = "srgb(0,255,0)" ] || fail "row 2 shows no green thumbnail"

# Automatic mode (the second option), then a second's wait on each frame:
# the wait boxes (29x18 at 72|224|376, 45) show in automatic mode.
xdotool mousemove --window "$editor" 60 $((top + 433)) click 1
wait_until 5 window_shows "$editor" 84 $((top + 54)) "srgb(255,255,255)" "$work/auto.png" ||
    fail "automatic mode shows no wait boxes"
for x in 84 236 388; do
    xdotool mousemove --window "$editor" "$x" $((top + 54)) click 1
    xdotool key --clearmodifiers ctrl+a
    xdotool type 1
done

# Save as, through the save dialog.
xdotool mousemove --window "$editor" 87 $((top + 12)) click 1
dialog=$(wait_for_window '保存ﾌｧｲﾙを指定してください。') || fail "no save dialog"
xdotool windowactivate --sync "$dialog" key --clearmodifiers ctrl+a
xdotool type "$package"
xdotool key --clearmodifiers Return
# The caption names the saved package once the save is through.
wait_for_window "^Slidewright - $package\$" 10 >/dev/null || fail "the caption does not name the package"
[ -s "$package" ] || fail "the package was not saved"

# Saved, so closing asks nothing and ends the program.
xdotool windowactivate --sync "$editor" key --clearmodifiers alt+F4
ended "$pid" "closing the saved editor"

members=$(7zz l -ba "$package" | awk '{print $NF}' | sort | tr '\n' ' ')
[ "$members" = "Slidewright.ini blue.bmp chime.wav green.bmp red.bmp " ] ||
    fail "the package holds: $members"
member() { 7zz e -so "$package" "$1" 2>/dev/null; }
cmp -s <(member Slidewright.ini) "$data/Slidewright.ini" ||
    fail "the package's script is: $(member Slidewright.ini)"
cmp -s <(member chime.wav) "$work/chime.wav" || fail "the package's sound is not the dropped one"

# Played again: three frames in order at their own sizes, a second each,
# and the end after the last.
"$bin" "$package" &
pid=$!
press_launcher Return
index=0
for frame in "300 200 srgb(255,0,0)" "320 240 srgb(0,255,0)" "400 300 srgb(0,0,255)"; do
    read -r width height colour <<<"$frame"
    index=$((index + 1))
    win=$(player_window "$pid" "$width" "$height" 5) || fail "frame $index was not shown at ${width}x$height"
    import -window "$win" "$work/played$index.png" 2>/dev/null
    [ "$(pixel "$work/played$index.png" 20 $((height - 20)))" = "$colour" ] ||
        fail "frame $index showed $(pixel "$work/played$index.png" 20 $((height - 20))), not $colour"
done
ended "$pid" "the movie's last frame"

rm -rf "$work"
echo "editor journey passed"
