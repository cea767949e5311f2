#!/usr/bin/env bash
# Captures real X programs under Xvfb with openbox, at several screen
# sizes, as 24-bit BMP files: the one corpus of screen captures that every
# benchmark reads. The thumbnail page needs ten at 1920x1080.
# Usage: make-corpus.sh OUTPUT-FOLDER QT-DIALOG-PROGRAM
# (the bench_corpus target runs it with bench/corpus_dialog)
set -euo pipefail

out=${1:?output folder}
dialog=${2:?Qt dialog program}
for tool in Xvfb openbox xdotool xprop xsetroot import od xterm xclock xedit xman display \
    /usr/share/backgrounds/mate/nature/LadyBird.jpg; do
    if ! command -v "$tool" >/dev/null && [ ! -e "$tool" ]; then
        echo "make-corpus.sh: $tool is missing; run scripts/install-deps" >&2
        exit 1
    fi
done
mkdir -p "$out"
rm -f "$out"/*.bmp

pids=()
stop_all() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    pids=()
}

start_x() {
    local size=$1 fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fd_file" 2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(cat "$fd_file")"
    rm -f "$fd_file"
    openbox --sm-disable >/dev/null 2>&1 &
    OPENBOX_PID=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    # A real desktop colour instead of the server's stipple.
    xsetroot -solid '#3a6ea5'
}

stop_x() {
    stop_all
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$OPENBOX_PID" "$XVFB_PID" 2>/dev/null || true
        wait "$OPENBOX_PID" "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
trap stop_x EXIT

run() {
    "$@" >/dev/null 2>&1 &
    pids+=($!)
}

settle() { sleep "${1:-1.5}"; }

shoot() {
    import -window root -depth 8 -type TrueColor BMP3:"$out/$1.bmp"
}

shoot_window() {
    local id
    id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && import -frame -window "$id" -depth 8 -type TrueColor BMP3:"$out/$1.bmp"
    return 0
}

for size in 1920x1080 1280x1024 1024x768 800x600; do
    start_x "$size"
    w=${size%x*}

    # Terminals with real text: a manual page and a long listing.
    run xterm -geometry 100x60+10+10 -T manual -e less /usr/share/common-licenses/GPL-2
    run xterm -geometry 90x40-10+40 -fg green -bg black -T listing \
        -e sh -c 'ls -l /usr/bin | head -300; cat /usr/share/common-licenses/GPL-3; sleep 600'
    run xclock -geometry 160x160-20-20
    settle 2
    shoot "terminals-$size"
    [ "$w" = 1920 ] && shoot_window "xterm-window" manual
    stop_all

    # The X11 toys and tools side by side.
    run xcalc -geometry +20+20
    run xeyes -geometry 200x150+300+20
    run xlogo -geometry 200x200+520+20
    run xload -geometry 300x120+20-20
    run xfontsel -geometry +300+250
    run xman -geometry +20+300
    settle 2
    shoot "x11-apps-$size"
    stop_all

    # ImageMagick's display of real pictures shipped with Debian packages
    # (the wizard's window is the one whose title names no file).
    run display -geometry +0+0 logo:
    run display -geometry -0-0 /usr/share/pixmaps/debian-logo.png
    # A photograph, whose colours are nothing like a program's.
    run display -geometry +$((w / 3))+$((w / 16)) -resize "$((w / 2))x$((w / 3))" \
        /usr/share/backgrounds/mate/nature/LadyBird.jpg
    settle 2.5
    shoot "display-$size"
    [ "$w" = 1920 ] && shoot_window "display-window" "^ImageMagick: *$"
    stop_all

    # openbox's root menu over a terminal.
    run xterm -geometry 80x30+0+0 -e top
    settle 1.5
    xdotool mousemove $((w - 300)) 100 click 3
    settle 1
    shoot "menu-$size"
    xdotool key Escape
    stop_all

    # A Qt file dialog on a real folder.
    QT_QPA_PLATFORM=xcb run "$dialog" /usr/share/doc
    settle 2.5
    shoot "qt-dialog-$size"
    [ "$w" = 1920 ] && shoot_window "qt-dialog-window" "Open Picture"
    stop_all

    # A full desktop piling up, one capture every two programs: at 1920x1080
    # only, where the thumbnail page wants many different full screens.
    if [ "$w" = 1920 ]; then
        pile=(
            "xterm -geometry 120x40+40+40 -e top"
            "xclock -geometry 300x300+1500+60 -update 1"
            "xterm -geometry 100x30+700+300 -bg navy -fg white -e sh -c 'ls -lR /usr/share/doc; sleep 600'"
            "xeyes -geometry 250x180+1550+700"
            "xcalc -geometry +200+600"
            "xlogo -geometry 400x400+1100+500"
            "xterm -geometry 80x24+300+150 -bg '#ffffe0' -e sh -c 'cat /etc/services; sleep 600'"
            "xedit -geometry 700x500+900+100 /etc/services"
            "xman -geometry 300x200+50+800"
            "xterm -geometry 90x20+600+700 -bg darkgreen -fg yellow -e sh -c 'cat /etc/protocols; sleep 600'"
        )
        for n in "${!pile[@]}"; do
            run sh -c "exec ${pile[$n]}"
            if [ $((n % 2)) = 1 ]; then
                settle 1.5
                shoot "pile-$((n / 2 + 1))-$size"
            fi
        done
        stop_all
    fi

    stop_x
done

# Every benchmark takes these as 24-bit BMP: check the headers here, where
# a wrong one can still be traced to its scene.
full=0
for picture in "$out"/*.bmp; do
    read -r width height <<<"$(od -An -td4 -j18 -N8 "$picture")"
    bits=$(od -An -tu2 -j28 -N2 "$picture" | tr -d ' ')
    if [ "$bits" != 24 ]; then
        echo "make-corpus.sh: $picture has $bits bits per pixel, not 24" >&2
        exit 1
    fi
    if [ "$width" = 1920 ] && [ "${height#-}" = 1080 ]; then
        full=$((full + 1))
    fi
done
echo "make-corpus.sh: $(find "$out" -name '*.bmp' | wc -l) captures in $out, $full of them 1920x1080"
if [ "$full" -lt 10 ]; then
    echo "make-corpus.sh: fewer than ten 1920x1080 captures" >&2
    exit 1
fi
