#!/usr/bin/env bash
# Colour reduction on real screen captures: quality against ImageMagick and
# pngquant, and speed.
#   bench/capture_quality.sh [BUILD-FOLDER]
# Takes captures of real X programs under a private 1920x1080 Xvfb with
# openbox into BUILD/bench-captures, reduces each to 256 and 16 colours with
# our quantiser, `convert -colors N +dither` and `pngquant --nofs N`, prints
# the PSNR of each, then times our reduction with bench_colour_reduction.
set -u
build=$(cd "${1:-build}" && pwd) || exit 1
tool="$build/bin/capture_tool"
bench="$build/bin/bench_colour_reduction"
out="$build/bench-captures"
photo=/usr/share/backgrounds/mate/nature/LadyBird.jpg
photo2=/usr/share/backgrounds/mate/nature/FreshFlower.jpg
for need in "$tool" "$bench" "$photo" "$photo2"; do
    [ -e "$need" ] || { echo "missing $need (build, and run scripts/install-deps)" >&2; exit 1; }
done
rm -rf "$out" && mkdir -p "$out/reduced"

pids=()
stop_all() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
}
trap stop_all EXIT
start() { "$@" >/dev/null 2>&1 & pids+=($!); }
close_clients() {
    # Everything but Xvfb and openbox (the first two).
    for pid in "${pids[@]:2}"; do kill "$pid" 2>/dev/null; done
    pids=("${pids[@]:0:2}")
    sleep 0.5
}
settle() { sleep "${1:-2}"; }

fd_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fd_file" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$fd_file")"
rm -f "$fd_file"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
start openbox --sm-disable
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done

# Terminals and the classic X programs on the bare root.
start xterm -geometry 110x45+10+10 -fa Monospace -fs 10 -e sh -c 'ls -l --color=always /usr/lib /usr/share | head -200; exec sleep 600'
start xterm -geometry 90x30+900+40 -bg navy -fg yellow -e sh -c 'dpkg -l | head -60; exec sleep 600'
start xclock -geometry 250x250+1600+700
start xeyes -geometry 200x150+1400+800
start xcalc -geometry +1000+600
start xlogo -geometry 200x200+1700+40
settle 3
"$tool" grab-screen "$out/terminals-1920x1080.png"
xdotool search --onlyvisible --class xcalc windowactivate --sync 2>/dev/null
settle 1
"$tool" grab-active "$out/xcalc-window.png"
close_clients

# A photograph as ImageMagick's display shows it.
start display -geometry +0+0 -resize 1900x1020! "$photo"
settle 4
"$tool" grab-screen "$out/photo-1920x1080.png"
close_clients
start display -geometry +100+80 -resize 1024x700 "$photo2"
settle 3
xdotool search --onlyvisible --class display windowactivate --sync 2>/dev/null
settle 1
"$tool" grab-active "$out/photo-window.png"
close_clients

# A Qt dialog with its colour gradients, over a terminal.
start xterm -geometry 120x50+0+0 -e sh -c 'ls -l --color=always /usr/bin | head -300; exec sleep 600'
start "$tool" dialog
settle 3
xdotool search --onlyvisible --class capture_tool windowactivate --sync 2>/dev/null
settle 1
"$tool" grab-active "$out/qt-dialog-window.png"
# Everything at once: terminals, a photo, a Qt dialog.
start display -geometry +700+300 -resize 1000x650 "$photo"
start xclock -geometry 200x200+1650+50
settle 4
"$tool" grab-screen "$out/mixed-1920x1080.png"
close_clients
# A smaller screen, cut from the mixed one as a 1280x1024 display would show it.
convert "$out/mixed-1920x1080.png" -crop 1280x1024+600+0 +repage "$out/mixed-1280x1024.png"

psnr() {
    compare -metric PSNR "$1" "$2" null: 2>&1 | awk '{print $1}'
}

printf '\n%-26s %-9s %6s  %9s %9s %9s  %8s\n' picture size colours ours convert pngquant ours-ms
fails=0
for picture in "$out"/*.png; do
    name=$(basename "$picture" .png)
    size=$(identify -format '%wx%h' "$picture")
    for colours in 256 16; do
        ms=$("$tool" reduce "$picture" "$colours" "$out/reduced/$name-$colours-ours.bmp") || exit 1
        convert "$picture" +dither -colors "$colours" "$out/reduced/$name-$colours-im.png"
        pngquant --nofs --force --output "$out/reduced/$name-$colours-pq.png" "$colours" "$picture"
        ours=$(psnr "$picture" "$out/reduced/$name-$colours-ours.bmp")
        im=$(psnr "$picture" "$out/reduced/$name-$colours-im.png")
        pq=$(psnr "$picture" "$out/reduced/$name-$colours-pq.png")
        printf '%-26s %-9s %6s  %9s %9s %9s  %8s\n' "$name" "$size" "$colours" "$ours" "$im" "$pq" "$ms"
        verdict=$(awk -v o="$ours" -v i="$im" -v p="$pq" 'BEGIN {
            if (o == "inf") { print "ok"; exit }
            if (i != "inf" && o + 0 < i + 0) { print "below convert"; exit }
            if (p == "inf" || o + 1 < p + 0) { print "more than 1 dB below pngquant"; exit }
            print "ok" }')
        if [ "$verdict" != ok ]; then
            echo "  ^ $verdict" >&2
            fails=$((fails + 1))
        fi
    done
done
echo
# The speed on these same captures, as 24-bit BMP like the benchmarks' corpus.
mkdir -p "$out/bmp"
for picture in "$out"/*.png; do
    convert "$picture" -alpha off -type TrueColor "BMP3:$out/bmp/$(basename "$picture" .png).bmp"
done
SLIDEWRIGHT_CORPUS="$out/bmp" "$bench" --benchmark_min_time=0.5
[ "$fails" -eq 0 ]
