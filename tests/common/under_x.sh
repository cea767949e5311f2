#!/usr/bin/env bash
# Runs a test program on a private X server, so Qt hands documents to the
# desktop's real opener (xdg-open) instead of the offscreen platform's none.
set -u
source "$(dirname "$0")/../e2e/xsession.sh"
start_x
QT_QPA_PLATFORM=xcb "$@"
