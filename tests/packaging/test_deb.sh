#!/usr/bin/env bash
# The Debian package: built by CPack from this build, its control fields and
# file list, lintian, the desktop and AppStream validators on what it
# installs, then the program run from a throw-away root it was unpacked into,
# and the maintainer scripts bringing the caches of that root in and out.
set -u
. "$SLIDEWRIGHT_SOURCE_DIR/tests/e2e/xsession.sh"

build="$SLIDEWRIGHT_BIN/.."
work="$TMPDIR/deb"
mkdir -p "$work"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }

version=$("$SLIDEWRIGHT_BIN/slidewright" --version | cut -d' ' -f2)
arch=$(dpkg --print-architecture)
deb="$work/out/slidewright_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no slidewright_${version}_${arch}.deb: $(ls "$work/out")"

# Control fields; lintian below judges the maintainer and description.
fields=$(dpkg-deb -f "$deb" Package Version Architecture)
[ "$fields" = "$(printf 'Package: slidewright\nVersion: %s\nArchitecture: %s' "$version" "$arch")" ] ||
    fail "control fields: $fields"
depends=$(dpkg-deb -f "$deb" Depends | tr -d ' ' | tr ',' '\n')
# dpkg-shlibdeps' findings, then what is loaded at run time.
for needed in libqt6widgets6 libsdl2-mixer-2.0-0 liblhasa0 libc6 qt6-qpa-plugins \
    qt6-translations-l10n 'timgm6mb-soundfont|sf2-soundfont-gm' fonts-ipafont-gothic \
    shared-mime-info desktop-file-utils xdg-utils; do
    grep -Eq "^${needed//|/\\|}(\(|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

# The files, their owners and modes, exactly.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2, $6}' | sed 's# \./# /#' >"$work/files.txt"
diff -u "$SLIDEWRIGHT_SOURCE_DIR/tests/data/deb/files.txt" "$work/files.txt" ||
    fail "the package's files differ from tests/data/deb/files.txt"
dpkg-deb -c "$deb" | awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root")' | grep . &&
    fail "folders not root's with mode 755"

lintian --fail-on error,warning --display-info "$deb" >"$work/lintian.log" 2>&1
status=$?
grep -v 'running with root privileges' "$work/lintian.log"
[ "$status" -eq 0 ] || fail "lintian reports errors or warnings"

# What the package installs, in a throw-away root.
root="$work/root"
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"
share="$root/usr/share"
desktop-file-validate "$share/applications/slidewright.desktop" || fail "desktop entry not valid"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml || fail "metainfo not valid"
zcat "$share/doc/slidewright/changelog.gz" | head -n 1 | grep -q "^slidewright ($version) " ||
    fail "the changelog's last entry is not $version"
grep -q "<release version=\"$version\"" "$share"/metainfo/*.metainfo.xml ||
    fail "the metainfo's releases lack $version"

# Without a display; the loader finds every library the program links.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/slidewright" --version) ||
    fail "--version failed from the unpacked root"
[ "$out" = "slidewright $version" ] || fail "--version printed: $out"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/slidewright" --help |
    grep -q -- '--version' || fail "--help failed from the unpacked root"
ldd "$root/usr/bin/slidewright" "$root/usr/lib/slidewright/libunlha32.so" | grep 'not found' &&
    fail "unresolved libraries"

# The maintainer scripts on that root: the type, the entry and the icons
# enter the caches, and leave them with the files.
cp /usr/share/icons/hicolor/index.theme "$share/icons/hicolor/" || fail "no hicolor-icon-theme"
DPKG_ROOT="$root" "$work/control/postinst" configure || fail "postinst failed"
[ -f "$share/mime/application/x-slidewright.xml" ] || fail "postinst left the MIME cache alone"
grep -q '^application/x-slidewright=slidewright.desktop;' "$share/applications/mimeinfo.cache" ||
    fail "postinst left the desktop cache alone"
[ -f "$share/icons/hicolor/icon-theme.cache" ] ||
    fail "postinst left the icon cache alone"
view=$(PATH="$root/usr/bin:$PATH" XDG_DATA_DIRS="$share:/usr/share" "$SLIDEWRIGHT_BIN/mime_of" "$share/slidewright/demo.sdw")
[ "$view" = "$(printf 'application/x-slidewright\nslidewright.desktop')" ] ||
    fail "the installed demo movie is seen as: $view"

# The launcher of the unpacked program finds its archiver through its run path.
start_x
"$root/usr/bin/slidewright" &
program=$!
wait_for_window '^Slidewright$' 15 >/dev/null || fail "the unpacked program did not show its launcher"
xdotool search --onlyvisible --name '環境エラー' >/dev/null 2>&1 &&
    fail "the unpacked program did not find its archiver"
kill "$program"
wait_for_exit "$program" 5 || fail "the unpacked program did not end on SIGTERM"

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | (cd "$root" && xargs rm -f)
DPKG_ROOT="$root" "$work/control/postrm" remove || fail "postrm failed"
[ -e "$share/mime/application/x-slidewright.xml" ] && fail "postrm left the type in the MIME cache"
grep -q 'slidewright' "$share/applications/mimeinfo.cache" 2>/dev/null &&
    fail "postrm left the entry in the desktop cache"
echo "package test passed"
