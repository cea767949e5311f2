#!/usr/bin/env bash
# The real binary's start-up checks under Xvfb with openbox.
set -u
. "$(dirname "$0")/xsession.sh"
bin="$SLIDEWRIGHT_BIN/slidewright"

# Help and version answer on the terminal, with no display at all; an unknown
# option is refused with a non-zero exit.
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY "$bin" "$@"; }
version=$(nodisplay --version) || fail "--version failed without a display"
[ "$version" = "slidewright 3.01" ] || fail "--version printed '$version'"
nodisplay --help | grep -q -- '--version' || fail "--help lists no options"
nodisplay --no-such-option >/dev/null 2>&1 && fail "an unknown option was taken"

start_x

# A first copy shows the launcher.
"$bin" &
first=$!
wait_for_window '^Slidewright$' >/dev/null || fail "the launcher did not appear"

# A second copy ends at once, silently, with or without a package.
for args in "" "/tmp/some movie.sdw"; do
    if [ -n "$args" ]; then "$bin" "$args" & else "$bin" & fi
    second=$!
    ended "$second" "a second start (args: '$args')"
done
[ "$(visible_windows "$first")" -ge 1 ] || fail "the first copy lost its window"

# A copy killed outright leaves its lock behind; the next start takes it over.
kill -9 "$first"
wait "$first" 2>/dev/null
"$bin" &
third=$!
wait_for_window '^Slidewright$' >/dev/null || fail "a stale lock stopped the next start"
kill "$third"
wait_for_exit "$third" 5 || fail "SIGTERM did not end the program"

# Without its archiver the program shows only the environment error.
alone=$(mktemp -d)
cp "$bin" "$alone/"
"$alone/slidewright" &
lonely=$!
box=$(wait_for_window '環境エラー') || fail "no 環境エラー box without the archiver"
[ "$(visible_windows "$lonely")" -eq 1 ] || fail "more than the box was shown without the archiver"
xdotool search --onlyvisible --name '^Slidewright$' >/dev/null 2>&1 && fail "the launcher showed without the archiver"
xdotool windowactivate --sync "$box" key --clearmodifiers Return
wait_for_exit "$lonely" 5 || fail "the program did not end after the box"
wait "$lonely" && fail "a missing archiver ended with success"
rm -rf "$alone"
echo "startup journeys passed"
