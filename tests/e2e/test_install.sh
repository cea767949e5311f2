#!/usr/bin/env bash
# The installed layout: bin/, lib/slidewright/, share/; the installed
# program finds its archiver through its run path and starts.
set -u
. "$(dirname "$0")/xsession.sh"
prefix=$(mktemp -d)
cmake --install "$SLIDEWRIGHT_BIN/.." --prefix "$prefix" >/dev/null || fail "install failed"
for file in bin/slidewright lib/slidewright/libunlha32.so share/applications/slidewright.desktop \
            share/icons/hicolor/256x256/apps/slidewright.png share/icons/hicolor/48x48/apps/slidewright.png; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
desktop-file-validate "$prefix/share/applications/slidewright.desktop" || fail "the desktop entry is not valid"

start_x
"$prefix/bin/slidewright" &
program=$!
wait_for_window '^Slidewright$' >/dev/null || fail "the installed program did not show its launcher"
xdotool search --onlyvisible --name '環境エラー' >/dev/null 2>&1 && fail "the installed program did not find its archiver"
kill "$program"
wait_for_exit "$program" 5 || fail "the installed program did not end on SIGTERM"
rm -rf "$prefix"
echo "install journey passed"
