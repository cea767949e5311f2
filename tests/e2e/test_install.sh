#!/usr/bin/env bash
# Installed under any prefix, the program finds its archiver through its run
# path and starts. The installed files themselves are the package test's.
set -u
. "$(dirname "$0")/xsession.sh"
prefix=$(mktemp -d)
cmake --install "$SLIDEWRIGHT_BIN/.." --prefix "$prefix" >/dev/null || fail "install failed"

start_x
"$prefix/bin/slidewright" &
program=$!
wait_for_window '^Slidewright$' >/dev/null || fail "the installed program did not show its launcher"
xdotool search --onlyvisible --name '環境エラー' >/dev/null 2>&1 && fail "the installed program did not find its archiver"
kill "$program"
wait_for_exit "$program" 5 || fail "the installed program did not end on SIGTERM"
rm -rf "$prefix"
echo "install journey passed"
