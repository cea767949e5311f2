#!/usr/bin/env bash
# Captures real X programs under Xvfb with openbox, at several screen
# sizes, as 24-bit BMP files: the one corpus of screen captures that every
# benchmark reads. The thumbnail page needs ten at 1920x1080.
# Usage: make-corpus.sh OUTPUT-FOLDER QT-DIALOG-PROGRAM
# (the bench_corpus target runs it with bench/corpus_dialog)
set -euo pipefail

out=${1:?output folder}
dialog=${2:?Qt dialog program}
source=$(cd "$(dirname "$0")/.." && pwd)
photos=/usr/share/backgrounds/mate/nature
for tool in Xvfb openbox xdotool xprop xsetroot import convert od xterm xclock xedit xman display \
    mousepad featherpad pcmanfm lxappearance qt5ct netsurf-gtk zenity \
    "$photos"/{LadyBird,Dune,GreenMeadow,Aqua,Storm,TwoWings,YellowFlower,Wood,Garden}.jpg; do
    if ! command -v "$tool" >/dev/null && [ ! -e "$tool" ]; then
        echo "make-corpus.sh: $tool is missing; run scripts/install-deps" >&2
        exit 1
    fi
done
mkdir -p "$out"
rm -f "$out"/*.bmp
# The desktop programs keep their settings in a home of their own.
scratch=$(mktemp -d)
export HOME=$scratch XDG_CONFIG_HOME=$scratch/config XDG_CACHE_HOME=$scratch/cache \
    XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/runtime GSETTINGS_BACKEND=memory \
    NO_AT_BRIDGE=1 QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

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
trap 'stop_x; rm -rf "$scratch"' EXIT

run() {
    "$@" >/dev/null 2>&1 &
    pids+=($!)
}

settle() { sleep "${1:-1.5}"; }

shoot() {
    import -window root -depth 8 -type TrueColor BMP3:"$out/$1.bmp"
}

# The first visible window whose name matches, waiting for it to appear.
window_of() {
    local id=
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}

# place NAME X Y WIDTH HEIGHT: moves and sizes a window, and raises it.
place() {
    local id
    id=$(window_of "$1")
    [ -n "$id" ] || return 0
    xdotool windowsize "$id" "$4" "$5" windowmove "$id" "$2" "$3" windowraise "$id" 2>/dev/null || true
}

# Out of sight, beyond the screen's right edge.
hide() {
    local id
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && xdotool windowmove "$id" 4000 0 2>/dev/null
    return 0
}

# A photograph scaled and cut to fill the whole screen, as the root window.
wallpaper() {
    convert "$photos/$1.jpg" -resize "${2}^" -gravity center -extent "$2" "$scratch/wall.png"
    # display ends with status 1 even when the root window took the picture.
    display -window root "$scratch/wall.png" || true
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

    # GTK and Qt programs with anti-aliased text, on a photograph: a text
    # editor of each toolkit with a document, a file manager, the settings
    # dialogs of both toolkits, a web page drawn by a browser engine, and
    # their menus and dialogs. Captured one by one at 1920x1080, together
    # on every screen.
    wallpaper Dune "$size"
    run mousepad "$source/archiver/LhEncoder.cpp"
    run featherpad "$source/README.md"
    run pcmanfm --no-desktop /usr/share/icons/hicolor/48x48/apps
    run lxappearance
    run qt5ct
    run netsurf-gtk "file://$source/data/Slidewright.html"
    if [ "$w" = 1920 ]; then
        hide_all() {
            for name in Mousepad README.md apps "Customize Look" "Qt5 Configuration" NetSurf \
                "Open a Document"; do
                hide "$name"
            done
        }
        place Mousepad 100 80 1000 800
        place README.md 400 120 1100 850
        place apps 200 100 1000 700
        place "Customize Look" 300 150 600 550
        place "Qt5 Configuration" 500 120 800 700
        place NetSurf 150 60 1300 950
        settle 2
        for window in gtk-editor:Mousepad qt-editor:README.md file-manager:apps \
            gtk-settings:"Customize Look" qt-settings:"Qt5 Configuration" web-page:NetSurf; do
            id=$(window_of "${window#*:}")
            [ -n "$id" ] && xdotool windowraise "$id" && sleep 0.5
            shoot_window "${window%%:*}-window" "${window#*:}"
        done

        # Desktops: a photograph under a few of the windows, one with a menu
        # open and one with a dialog.
        desktop() {
            local number=$1 photo=$2
            shift 2
            hide_all
            wallpaper "$photo" "$size"
            local spec
            for spec in "$@"; do
                # NAME@X,Y,WIDTH,HEIGHT
                IFS=, read -r x y width height <<<"${spec#*@}"
                place "${spec%@*}" "$x" "$y" "$width" "$height"
            done
            settle 1
        }
        desktop 1 LadyBird Mousepad@60,60,900,700 apps@1000,300,850,600
        shoot "desktop-1-$size"
        desktop 2 GreenMeadow NetSurf@400,80,1100,900 README.md@40,500,800,500
        shoot "desktop-2-$size"
        desktop 3 Aqua "Qt5 Configuration"@1100,100,760,700 apps@80,80,900,650 \
            Mousepad@500,450,900,560
        shoot "desktop-3-$size"
        desktop 4 Storm README.md@900,60,960,900 "Customize Look"@100,300,600,520
        xdotool windowactivate --sync "$(window_of README.md)" key alt+f 2>/dev/null || true
        settle 1
        shoot "desktop-4-menu-$size"
        xdotool key Escape
        desktop 5 TwoWings Mousepad@1000,100,860,800 NetSurf@60,40,900,700
        xdotool windowactivate --sync "$(window_of Mousepad)" key F10 2>/dev/null || true
        settle 1
        shoot "desktop-5-menu-$size"
        xdotool key Escape
        desktop 6 YellowFlower apps@1100,500,780,520
        run zenity --file-selection --title "Open a Document" --filename /usr/share/doc/
        place "Open a Document" 300 120 900 640
        settle 1
        shoot "desktop-6-dialog-$size"
        desktop 7 Wood NetSurf@700,60,1180,980 "Qt5 Configuration"@60,200,700,650
        run zenity --question --title "Save changes" --text "Save the changes to the document?"
        settle 1.5
        shoot "desktop-7-dialog-$size"
        desktop 8 Garden Mousepad@40,40,700,500 README.md@760,40,1120,500 apps@40,580,900,460 \
            "Customize Look"@1000,560,600,480
        shoot "desktop-8-$size"
    else
        place Mousepad 20 20 $((w / 2)) $((w / 2))
        place apps $((w / 3)) $((w / 4)) $((w / 2)) $((w / 3))
        place NetSurf $((w / 5)) $((w / 6)) $((w * 2 / 3)) $((w / 2))
        settle 2
        shoot "desktop-$size"
    fi
    stop_all
    xsetroot -solid '#3a6ea5'

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
