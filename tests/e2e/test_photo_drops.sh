#!/usr/bin/env bash
# Photographs dragged into the editor through X's own drag and drop: a PNG
# and a JPEG from a stand-in file manager become 24-bit BMP frames named
# after them, and ファイル → 書き出し... (Ctrl+E) exports the two frames.
set -u
. "$(dirname "$0")/xsession.sh"
bin="$SLIDEWRIGHT_BIN/slidewright"
work=$(mktemp -d)
pictures="$XDG_DATA_HOME/slidewright/BMP"

convert -size 300x200 xc:'#ff0000' PNG24:"$work/holiday.png" || fail "no convert"
convert -size 320x240 xc:'#00ff00' -quality 95 "$work/snap.jpg"
start_x

# Straight into the editor, a new movie.
"$bin" --edit &
pid=$!
editor=$(wait_for_window '^Slidewright - 新規ファイル$') || fail "--edit showed no editor"
find_top() { top=$(editor_top "$editor"); }
wait_until 10 find_top || fail "no sound box found in the editor"

drag_files "$editor" 83 $((top + 120)) "$work/holiday.png"
drag_files "$editor" 235 $((top + 120)) "$work/snap.jpg"
wait_until 5 window_shows "$editor" 83 $((top + 120)) "srgb(255,0,0)" "$work/filled.png" ||
    fail "row 1 shows no red thumbnail: $(pixel "$work/filled.png" 83 $((top + 120)))"
[ "$(pixel "$work/filled.png" 235 $((top + 120)) | tr -d 'srgb()' | cut -d, -f2)" -gt 240 ] ||
    fail "row 2 shows no green thumbnail: $(pixel "$work/filled.png" 235 $((top + 120)))"

# 24-bit BMP pictures in the work folder, and nothing else.
[ "$(ls "$pictures" | tr '\n' ' ')" = "holiday.bmp snap.bmp " ] ||
    fail "the work folder holds: $(ls -A "$pictures")"
for name in holiday snap; do
    [ "$(head -c 2 "$pictures/$name.bmp")" = "BM" ] || fail "$name.bmp is no BMP file"
    [ "$(od -An -tu2 -j28 -N2 "$pictures/$name.bmp" | tr -d ' ')" = "24" ] ||
        fail "$name.bmp is not 24 bits a pixel"
done
identify -format '%wx%h ' "$pictures/holiday.bmp" "$pictures/snap.bmp" | grep -qx '300x200 320x240 ' ||
    fail "the pictures changed size"

# Manual mode, so each frame lasts 3 s; Ctrl+E and a GIF's name typed into
# the export dialog.
xdotool windowactivate --sync "$editor" key --clearmodifiers ctrl+e
dialog=$(wait_for_window '保存ﾌｧｲﾙを指定してください。') || fail "Ctrl+E showed no export dialog"
xdotool windowactivate --sync "$dialog"
dialog_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$dialog" ]; }
wait_until 5 dialog_active || fail "the export dialog never took the focus"
xdotool key --clearmodifiers ctrl+a
xdotool type "$work/movie.gif"
xdotool key --clearmodifiers Return
wait_until 10 test -s "$work/movie.gif" || fail "the export wrote no GIF"
[ "$(ffprobe -v error -select_streams v:0 -show_entries packet=duration -of csv=p=0 "$work/movie.gif" |
    tr '\n' ' ')" = "300 300 " ] || fail "the GIF is not two frames of 3 s"
[ "$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 \
    "$work/movie.gif")" = "320,240" ] || fail "the GIF is not as large as the larger picture"

kill -TERM "$pid"
wait_for_exit "$pid" 5 || fail "the editor did not end"
rm -rf "$work"
echo "photo drops passed"
