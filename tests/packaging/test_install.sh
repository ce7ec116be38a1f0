#!/usr/bin/env bash
# The program as a desktop installs it: `cmake --install` puts the binary, the menu entry, the
# icons and the AppStream metainfo in their standard places, and they validate; the Debian
# package that CPack builds holds the same files, passes lintian and depends on the libraries the
# binary links; unpacked into a scratch root, its program starts and shows its window.
# Usage: test_install.sh BUILD-FOLDER
source "$(dirname "${BASH_SOURCE[0]}")/../desktop/lib.sh"

BUILD=$(cd "${1:?usage: test_install.sh BUILD-FOLDER}" && pwd)
APP_ID=org.ostrevane.Corvatine
ICON_SIZES=(32 48 64 128 256)

for tool in cmake cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli readelf lintian; do
    command -v "$tool" >/dev/null || die "$tool is not installed (tools/setup.sh installs it)"
done

# What an installation must hold, relative to the prefix.
expected_files() {
    printf '%s\n' bin/ostrevane "share/applications/$APP_ID.desktop" \
        "share/metainfo/$APP_ID.metainfo.xml" share/man/man1/ostrevane.1.gz \
        share/doc/ostrevane/changelog.gz share/doc/ostrevane/copyright
    local size
    for size in "${ICON_SIZES[@]}"; do
        printf 'share/icons/hicolor/%sx%s/apps/%s.png\n' "$size" "$size" "$APP_ID"
    done
}

# same_files LIST OK FAILED: the sorted file list LIST against the expected one, the difference shown.
same_files() {
    diff -u "$WORK_DIR/expected.txt" "$1" >"$1.diff" && pass "$2" || { fail "$3"; cat "$1.diff"; }
}

# png_size FILE: "WIDTH HEIGHT" from the PNG header.
png_size() {
    "$PYTHON" -c 'import struct, sys
data = open(sys.argv[1], "rb").read(24)
assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", "not a PNG"
print(*struct.unpack(">II", data[16:24]))' "$1"
}

# ---- cmake --install ----------------------------------------------------------------------------

prefix="$WORK_DIR/prefix/usr"
cmake --install "$BUILD" --prefix "$prefix" >"$WORK_DIR/install.log" 2>&1 ||
    { cat "$WORK_DIR/install.log"; die "cmake --install failed"; }
(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) >"$WORK_DIR/installed.txt"
expected_files | sort >"$WORK_DIR/expected.txt"
same_files "$WORK_DIR/installed.txt" \
    "cmake --install puts exactly the program, desktop entry, metainfo, ${#ICON_SIZES[@]} icons and docs in place" \
    "the installed files differ from the expected ones:"
[ -x "$prefix/bin/ostrevane" ] && pass "bin/ostrevane is executable" || fail "bin/ostrevane is not executable"

for size in "${ICON_SIZES[@]}"; do
    icon="$prefix/share/icons/hicolor/${size}x$size/apps/$APP_ID.png"
    [ -f "$icon" ] || continue
    actual=$(png_size "$icon")
    [ "$actual" = "$size $size" ] && pass "hicolor ${size}x$size icon is a ${size}x$size PNG" ||
        fail "hicolor ${size}x$size icon is $actual"
done

desktop="$prefix/share/applications/$APP_ID.desktop"
if out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ]; then
    pass "desktop-file-validate: no error, no warning"
else
    fail "desktop-file-validate reports:"
    log "$out"
fi
# The entry starts this program and names this icon.
grep -qx 'Exec=ostrevane' "$desktop" && [ -x "$prefix/bin/$(sed -n 's/^Exec=//p' "$desktop")" ] &&
    pass "the desktop entry starts the installed ostrevane" ||
    fail "the desktop entry does not start bin/ostrevane: $(grep '^Exec=' "$desktop")"
grep -qx "Icon=$APP_ID" "$desktop" && pass "the desktop entry names the installed icon $APP_ID" ||
    fail "the desktop entry's icon is not $APP_ID: $(grep '^Icon=' "$desktop")"

# validate checks the metainfo itself; validate-tree also checks that it fits the desktop entry
# and icons beside it. Warnings count as failures; pedantic remarks do not.
for command in "validate --no-net $prefix/share/metainfo/$APP_ID.metainfo.xml" \
    "validate-tree --no-net $WORK_DIR/prefix"; do
    status=0
    out=$(appstreamcli $command 2>&1) || status=$?
    if [ "$status" -eq 0 ] && ! grep -qE '^(E|W):' <<<"$out"; then
        pass "appstreamcli ${command%% *}: $(tail -n 1 <<<"$out")"
    else
        fail "appstreamcli ${command%% *} (status $status):"
        log "$out"
    fi
done

# ---- The Debian package -------------------------------------------------------------------------

cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK_DIR/package" >"$WORK_DIR/cpack.log" 2>&1 ||
    { cat "$WORK_DIR/cpack.log"; die "cpack failed"; }
debs=("$WORK_DIR"/package/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || die "cpack made no single .deb: ${debs[*]}"
deb=${debs[0]}
pass "cpack made $(basename "$deb")"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$BUILD/CPackConfig.cmake")

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ostrevane ] && pass "package name ostrevane" ||
    fail "package name is $(field Package)"
[ -n "$version" ] && [ "$(field Version)" = "$version" ] && pass "package version $version" ||
    fail "package version $(field Version), the project's is $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] &&
    pass "architecture $(field Architecture)" || fail "architecture $(field Architecture)"

# The files inside, under the /usr prefix, are those of the installation.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort >"$WORK_DIR/packaged.txt"
same_files "$WORK_DIR/packaged.txt" "the package holds the same files under /usr" \
    "the package's files differ from the expected ones:"

# lintian's errors and warnings fail; what it only remarks on (I:, and P: when pedantic) is shown.
status=0
out=$(lintian --fail-on error,warning --display-info --pedantic "$deb" 2>&1) || status=$?
out=$(grep -v '^running with root privileges' <<<"$out" || true)
if [ "$status" -eq 0 ] && ! grep -qE '^[EW]: ' <<<"$out"; then
    pass "lintian: no error, no warning${out:+ (remarks below)}"
else
    fail "lintian (status $status):"
fi
[ -z "$out" ] || log "$out"

root="$WORK_DIR/root"
dpkg -x "$deb" "$root"
binary="$root/usr/bin/ostrevane"
[ -x "$binary" ] || die "no executable /usr/bin/ostrevane in the package"
# lintian does not compare the two: the changelog's newest entry must be the package's version.
logged=$(zcat "$root/usr/share/doc/ostrevane/changelog.gz" |
    dpkg-parsechangelog -l - -S Version) || true
[ "$logged" = "$version" ] && pass "the changelog's newest entry is $version" ||
    fail "the changelog's newest entry is ${logged:-missing}, the package's version $version"

# Every library the program needs comes from a package that it depends on.
depends=$(field Depends)
log "# Depends: $depends"
depend_names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
owner_of() {
    { dpkg -S "$1" || dpkg -S "$(readlink -f "$1")"; } 2>/dev/null | head -n 1 | cut -d: -f1
}
declare -A owners=()
while read -r path; do
    owner=$(owner_of "$path")
    [ -n "$owner" ] || { fail "no Debian package owns $path"; continue; }
    owners[$owner]=$path
done < <(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' |
    while read -r lib; do ldd "$binary" | awk -v l="$lib" '$1 == l { print $3 }'; done)
[ "${#owners[@]}" -gt 0 ] || fail "found none of the program's libraries"
for owner in "${!owners[@]}"; do
    grep -qxF "$owner" <<<"$depend_names" &&
        pass "depends on $owner (for $(basename "${owners[$owner]}"))" ||
        fail "does not depend on $owner, which has $(basename "${owners[$owner]}")"
done
# Whatever this release calls Qt's packages (libqt6core6, or libqt6core6t64 in Debian 13).
for qt in Core Gui Widgets; do
    grep -q "libQt6$qt\.so" <<<"${owners[*]}" || fail "Depends has no package for libQt6$qt"
done
# libcanberra is opened at the first warning, not linked, so the check above cannot see it.
if grep -qa 'ca_context_play' "$binary"; then
    grep -qxF libcanberra0 <<<"$depend_names" &&
        pass "depends on libcanberra0 (opened for the warning sound)" ||
        fail "plays the warning through libcanberra but does not depend on libcanberra0"
fi
field Recommends | grep -qw qt6-wayland && pass "recommends qt6-wayland, for a native Wayland window" ||
    fail "does not recommend qt6-wayland: $(field Recommends)"
readelf -d "$binary" | grep -qE 'RPATH|RUNPATH' &&
    fail "the packaged program carries a run path: $(readelf -d "$binary" | grep -E 'RPATH|RUNPATH')" ||
    pass "the packaged program has no run path: it uses the system's libraries"

# ---- The unpacked program on a display ----------------------------------------------------------

start_xvfb
start_app "$binary"
window=$(find_window "$MAIN_TITLE" 20)
[ -n "$window" ] || die "the unpacked program showed no window titled \" Corvatine\""
owner_pid=$(xdotool getwindowpid "$window" 2>/dev/null || true)
[ "$owner_pid" = "$APP_PID" ] && pass "the unpacked program shows its window \" Corvatine\"" ||
    fail "the window \" Corvatine\" belongs to process ${owner_pid:-none}, not to $APP_PID"
wait_painted "$window" && pass "its window shows the clock face" ||
    fail "the background picture never showed in the window"
close_window "$window"
if wait_app_exit 5; then
    [ "$APP_STATUS" -eq 0 ] && pass "closing the window ends it with status 0" ||
        fail "closing the window ends it with status $APP_STATUS"
else
    fail "the unpacked program still runs 5 s after its window was closed"
fi

finish
