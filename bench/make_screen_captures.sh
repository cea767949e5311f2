#!/usr/bin/env bash
# Makes COUNT real 1920x1080 screen captures as 24-bit BMP files in OUTDIR:
# a private X server with a window manager and a growing pile of ordinary X
# programs, copied from the root window after each new program appears.
# Usage: make_screen_captures.sh OUTDIR [COUNT]
set -euo pipefail
out=$1
count=${2:-10}
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
export DISPLAY=":$(cat "$work/display")"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

# Each entry adds one program at its own place; the captures differ.
programs=(
    "xterm -geometry 120x40+40+40 -e top"
    "xclock -geometry 300x300+1500+60 -update 1"
    "xterm -geometry 100x30+700+300 -bg navy -fg white -e ls -lR /usr/share/doc"
    "xeyes -geometry 250x180+1550+700"
    "xcalc -geometry +200+600"
    "xlogo -geometry 400x400+1100+500"
    "xterm -geometry 80x24+300+150 -bg '#ffffe0' -e sh -c 'dmesg 2>/dev/null || cat /etc/services; sleep 600'"
    "xedit -geometry 700x500+900+100 /etc/services"
    "xman -geometry 300x200+50+800"
    "xterm -geometry 90x20+600+700 -bg darkgreen -fg yellow -e sh -c 'cat /etc/protocols; sleep 600'"
)
for n in $(seq "$count"); do
    cmd=${programs[$(((n - 1) % ${#programs[@]}))]}
    sh -c "exec $cmd" >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
    name=$(printf 'SW%03d' "$n")
    import -window root "$work/$name.png"
    convert "$work/$name.png" -alpha off -type TrueColor "BMP3:$out/$name.bmp"
done
