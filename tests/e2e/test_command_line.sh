#!/usr/bin/env bash
# The command line with the real binary: exporting a package with neither
# DISPLAY nor WAYLAND_DISPLAY, its progress, exit codes and failures that
# leave no file; then, under Xvfb with openbox, --play and --edit opening
# their window without the launcher, under the single-instance rule that
# --export ignores.
set -u
. "$(dirname "$0")/xsession.sh"
bin="$SLIDEWRIGHT_BIN/slidewright"
data="$SLIDEWRIGHT_SOURCE_DIR/tests/data/export_movie"
work=$(mktemp -d)
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY "$@"; }

# make_package PACKAGE MODE PICTURE:WAIT:SOUND...: a package as jlha packs
# it, of the test's own files or else the test data's.
make_package() {
    local package=$1 mode=$2 folder k=0 names=()
    shift 2
    folder=$(mktemp -d)
    {
        printf 'VER,03.01\r\nMAX,%d\r\nLOOP,0\r\nJIDOU,%d\r\nLOOPWAIT,10\r\nOPTEND,START\r\n' $# "$mode"
        for frame in "$@"; do
            k=$((k + 1))
            IFS=: read -r picture wait sound <<<"$frame"
            printf 'NAME,%03d,%s\r\nWAIT,%03d,%d\r\nSOUND,%03d,%s\r\n' $k "$picture" $k "$wait" $k "$sound"
            for name in "$picture" "$sound"; do
                [ -n "$name" ] && [ ! -e "$folder/$name" ] && names+=("$name") &&
                    { cp "$work/$name" "$folder/" 2>/dev/null || cp "$data/$name" "$folder/"; }
            done
        done
        printf 'END,END,END\r\n'
    } >"$folder/Slidewright.ini"
    (cd "$folder" && jlha a "$package" Slidewright.ini "${names[@]}" >/dev/null 2>&1) ||
        fail "jlha could not make $package"
    rm -rf "$folder"
}

# Only what the test made, and no temporary file beside it.
files_in() { ls -A "$1" | tr '\n' ' '; }
duration() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }

make_package "$work/movie.sdw" 1 photo.bmp:1500:tone.wav chart.bmp:2500: photo.bmp:1000:chords.mid
mkdir "$work/out"

# One progress line per frame on stderr when it is not a terminal.
nodisplay "$bin" --export "$work/out/movie.gif" "$work/movie.sdw" 2>"$work/err" ||
    fail "--export failed without a display: $(cat "$work/err")"
[ "$(cat "$work/err")" = "$(printf 'フレーム 1/3\nフレーム 2/3\nフレーム 3/3')" ] ||
    fail "the progress lines were: $(cat "$work/err")"
[ "$(duration "$work/out/movie.gif")" = "5.000000" ] || fail "the GIF does not last 5 s"

# A bar, redrawn in place, on a terminal.
script -qec "env -u DISPLAY -u WAYLAND_DISPLAY '$bin' --export '$work/out/movie.mp4' '$work/movie.sdw'" \
    /dev/null >"$work/tty" || fail "--export failed on a terminal: $(cat "$work/tty")"
grep -q $'\r書き出し中 \[#*-*\] 1/3' "$work/tty" || fail "no progress bar on a terminal: $(cat -v "$work/tty")"
grep -q 'フレーム' "$work/tty" && fail "lines instead of a bar on a terminal"
[ "$(duration "$work/out/movie.mp4")" = "5.000000" ] || fail "the MP4 does not last 5 s"
[ "$(files_in "$work/out")" = "movie.gif movie.mp4 " ] || fail "the folder holds: $(files_in "$work/out")"

# expect_failure CODE MESSAGE COMMAND...: the exit code, one line on stderr
# that says why (after the frames done so far), and nothing new in the
# output folder.
expect_failure() {
    local code=$1 message=$2 got
    shift 2
    "$@" 2>"$work/err"
    got=$?
    [ "$got" -eq "$code" ] || fail "$* ended with $got, not $code: $(cat "$work/err")"
    [ "$(grep -vc '^フレーム [0-9]*/[0-9]*$' "$work/err")" -eq 1 ] ||
        fail "$* said more than one line: $(cat "$work/err")"
    tail -n 1 "$work/err" | grep -q "^slidewright: $message" || fail "$* said: $(cat "$work/err")"
    [ "$(files_in "$work/out")" = "movie.gif movie.mp4 " ] || fail "$* left: $(files_in "$work/out")"
}

expect_failure 2 '書き出せる形式は .mp4、.webm、.gif です' \
    nodisplay "$bin" --export "$work/out/movie.avi" "$work/movie.sdw"

# A package cut short fails, and the earlier file of that name stays.
head -c 60000 "$work/movie.sdw" >"$work/short.sdw"
before=$(md5sum <"$work/out/movie.mp4")
expect_failure 1 "ファイルが不正です: $work/short.sdw" \
    nodisplay "$bin" --export "$work/out/movie.mp4" "$work/short.sdw"
[ "$(md5sum <"$work/out/movie.mp4")" = "$before" ] || fail "a failed export changed the earlier file"
expect_failure 1 'ファイルが不正です' nodisplay "$bin" --export "$work/out/x.webm" "$work/none.sdw"

# A full disk, as a file-size limit makes it: the pictures still fit, the
# video does not.
make_package "$work/long.sdw" 1 $(for _ in $(seq 12); do printf 'photo.bmp:3000:tone.wav chart.bmp:3000:tone.wav '; done)
expect_failure 1 'ディスクの空きが足りないため書き出せませんでした' \
    bash -c "ulimit -f 100; env -u DISPLAY -u WAYLAND_DISPLAY '$bin' --export '$work/out/long.mp4' '$work/long.sdw'"

# Interrupted: the temporary file goes too.
sox -n -r 8000 -c 1 -b 8 "$work/silence.wav" trim 0 900 || fail "no sox"
make_package "$work/slow.sdw" 2 photo.bmp:0:silence.wav
env -u DISPLAY -u WAYLAND_DISPLAY "$bin" --export "$work/out/slow.webm" "$work/slow.sdw" 2>"$work/err" &
exporting=$!
exporting_into() { ls -A "$work/out" | grep -q '^\.slow\.webm\.'; }
wait_until 10 exporting_into || fail "no temporary file while exporting"
kill -INT "$exporting"
wait "$exporting"; code=$?
[ "$code" -eq 130 ] || fail "an interrupted export ended with $code: $(cat "$work/err")"
[ "$(files_in "$work/out")" = "movie.gif movie.mp4 " ] || fail "an interrupted export left: $(files_in "$work/out")"

start_x

# --play: the player plays at once, with nobody pressing the launcher's
# button; a second copy ends silently, while an export runs beside it.
"$bin" --play "$work/movie.sdw" &
player=$!
player_window "$player" 176 144 10 >/dev/null || fail "--play showed no player"
"$bin" --edit "$work/movie.sdw" &
second=$!
ended "$second" "a second copy beside --play"
"$bin" --export "$work/out/beside.webm" "$work/movie.sdw" 2>/dev/null ||
    fail "--export did not run beside the player"
wait_for_exit "$player" 15 || fail "the player did not end after the movie"
wait "$player" || fail "the player ended with $?"

# --edit: the editor with the package, again without the launcher.
"$bin" --edit "$work/movie.sdw" &
editor=$!
wait_for_window "^Slidewright - $work/movie.sdw\$" >/dev/null || fail "--edit showed no editor with the package"
kill -TERM "$editor"
wait_for_exit "$editor" 5 || fail "the editor did not end"
wait "$editor"

rm -rf "$work"
echo "command line journeys passed"
