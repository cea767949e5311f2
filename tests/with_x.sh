#!/usr/bin/env bash
# Runs one test program under its own Xvfb with openbox, as the xcb
# platform: for tests of what only a real X server and window manager do.
set -u
. "$(dirname "$0")/e2e/xsession.sh"
start_x
"$@"
