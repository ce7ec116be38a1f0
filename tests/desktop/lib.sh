# Shared by the tests that run the real clock in a private X server, and by tools/screenshot.sh.
# Source it from bash (it sources common.sh).
#
# There is no window manager in that server: windows have no frame and get the keyboard focus
# only when given it (focus_window), and closing one means sending it the window manager's
# close request (close_window).
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

DESKTOP_DIR="$TESTS_DIR/desktop"
HELPER="$DESKTOP_DIR/xhelper.py"
# ImageMagick itself, whatever else is called "convert" on the PATH.
CONVERT=/usr/bin/convert
BACKGROUND_PICTURE="$SOURCE_DIR/resources/background.jpg"

MAIN_TITLE='^ Corvatine$'
DIALOG_TITLE='^Set time parameters$'

# The client area below the menu bar, and the rectangles of the main window's controls in it
# (left top width height, pixels).
CLIENT_WIDTH=567
CLIENT_HEIGHT=283
RECT_COMMAND2="148 104 57 33"
RECT_COMMAND1="364 104 57 33"
RECT_HOURS_LEFT="8 148 49 97"
RECT_MIN_LEFT="68 148 97 97"
RECT_SEC_LEFT="176 148 101 97"
RECT_HOURS_RIGHT="296 148 49 97"
RECT_MIN_RIGHT="356 148 93 97"
RECT_SEC_RIGHT="460 148 101 97"
DIGIT_BOXES=(RECT_HOURS_LEFT RECT_MIN_LEFT RECT_SEC_LEFT RECT_HOURS_RIGHT RECT_MIN_RIGHT
             RECT_SEC_RIGHT)
DIGIT_BACKGROUND="224 224 224"

XVFB_PID=""
APP_PID=""
APP_STATUS=""
SHOW_ON_FAILURE+=("application stderr:$WORK_DIR/app.stderr")

require_tools() {
    require Xvfb xdpyinfo xdotool import "$CONVERT" "$PYTHON"
    "$PYTHON" -c 'import Xlib' 2>/dev/null ||
        die "python3-xlib is not installed for $PYTHON (tools/setup.sh installs it)"
}

# The X server of common.sh, and the tools these tests use with it.
start_xvfb() {
    require_tools
    start_x_server
}

# start_two_monitors: Xorg with its dummy video driver, two 1280x1024 monitors side by side, as Qt
# sees two screens (Xvfb's heads all report one origin); exports DISPLAY. Xorg takes its
# configuration from a file of the script's own only when run as root: false otherwise.
start_two_monitors() {
    [ "$(id -u)" -eq 0 ] || return 1
    require Xorg xrandr
    printf '%s\n' 'Section "Device"' ' Identifier "dummy"' ' Driver "dummy"' ' VideoRam 256000' \
        'EndSection' 'Section "Monitor"' ' Identifier "monitor"' ' HorizSync 5.0-1000.0' \
        ' VertRefresh 5.0-200.0' 'EndSection' 'Section "Screen"' ' Identifier "screen"' \
        ' Device "dummy"' ' Monitor "monitor"' ' DefaultDepth 24' ' SubSection "Display"' \
        '  Virtual 2560 1024' ' EndSubSection' 'EndSection' >"$WORK_DIR/xorg.conf"
    : >"$WORK_DIR/xorg.display"
    Xorg -displayfd 3 -config "$WORK_DIR/xorg.conf" -noreset -nolisten tcp \
        -logfile "$WORK_DIR/xorg.log" 3>"$WORK_DIR/xorg.display" >/dev/null 2>&1 &
    started $!
    SHOW_ON_FAILURE+=("Xorg log:$WORK_DIR/xorg.log")
    xorg_up() { [ -s "$WORK_DIR/xorg.display" ]; }
    poll 10 xorg_up || die "Xorg with the dummy driver did not start"
    export DISPLAY=":$(head -n 1 "$WORK_DIR/xorg.display")"
    xrandr --addmode DUMMY1 1280x1024 &&
        xrandr --output DUMMY0 --mode 1280x1024 --pos 0x0 --output DUMMY1 --mode 1280x1024 \
            --pos 1280x0 || die "xrandr could not make two monitors"
    log "# Xorg on $DISPLAY: $(xrandr --listmonitors | head -n 1)"
}

# Starts the binary in the background against our server; APP_PID is its process id.
start_app() {
    local binary=$1
    [ -x "$binary" ] || die "no executable at $binary"
    QT_QPA_PLATFORM=xcb "$binary" >"$WORK_DIR/app.stdout" 2>"$WORK_DIR/app.stderr" &
    APP_PID=$!
    APP_STATUS=""
    started "$APP_PID"
    log "# started $binary as process $APP_PID"
}

# open_main_window BINARY: starts it and waits until its window is painted, then gives the window
# the keyboard. Sets WINDOW and START_SHOT (the first shot that shows the painted window).
open_main_window() {
    start_app "$1"
    WINDOW=$(find_window "$MAIN_TITLE" 30)
    [ -n "$WINDOW" ] || die "no window titled \" Corvatine\" appeared"
    wait_painted "$WINDOW" ||
        die "the main window was never painted (best mean difference ${LOCATE_SCORE:-none})"
    START_SHOT=$PAINTED_SHOT
    focus_window "$WINDOW"
}

# True while the application runs; an ended child that was not waited for yet does not count.
app_alive() {
    [ -n "$APP_PID" ] || return 1
    local state
    state=$(awk '{print $3}' "/proc/$APP_PID/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

check_alive() {
    if app_alive; then
        pass "the application still runs $*"
    else
        die "the application ended unexpectedly $*"
    fi
}

app_ended() { ! app_alive; }

# wait_app_exit SECONDS: waits for the application to end and sets APP_STATUS; fails when it
# does not end in time.
wait_app_exit() {
    poll "$1" app_ended || return 1
    local status=0
    wait "$APP_PID" || status=$?
    APP_STATUS=$status
    APP_PID=""
}

# find_window TITLE_REGEX [SECONDS]: prints the id of a mapped window with that title.
find_window() {
    local title=$1 seconds=${2:-10}
    timeout "$seconds" xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -n 1
}

# True when no mapped window has that title.
window_gone() {
    ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}

focus_window() {
    timeout 10 xdotool windowfocus --sync "$1"
}

close_window() {
    "$PYTHON" "$HELPER" close "$1"
}

# window_geometry ID: sets WIN_X WIN_Y WIN_W WIN_H (the window has no frame).
window_geometry() {
    local line
    WIN_X="" WIN_Y="" WIN_W="" WIN_H=""
    while IFS='=' read -r key value; do
        case $key in
            X) WIN_X=$value ;;
            Y) WIN_Y=$value ;;
            WIDTH) WIN_W=$value ;;
            HEIGHT) WIN_H=$value ;;
        esac
    done < <(xdotool getwindowgeometry --shell "$1")
    [ -n "$WIN_X" ] && [ -n "$WIN_Y" ] && [ -n "$WIN_W" ] && [ -n "$WIN_H" ]
}

# shot NAME: a screenshot of the whole screen as $WORK_DIR/NAME.png; prints the path of the
# PPM copy that the helper reads.
shot() {
    local name=$1 count base
    # Numbered in the order taken; the count lives in a file, as shot runs in a subshell.
    count=$(($(cat "$WORK_DIR/shot-count" 2>/dev/null || echo 0) + 1))
    printf '%s\n' "$count" >"$WORK_DIR/shot-count"
    base="$WORK_DIR/$(printf '%03d' "$count")-$name"
    import -window root "$base.png"
    "$CONVERT" "$base.png" "$base.ppm"
    printf '%s\n' "$base.ppm"
}

background_ppm() {
    local ppm="$WORK_DIR/background.ppm"
    [ -f "$ppm" ] || "$CONVERT" "$BACKGROUND_PICTURE" "$ppm"
    printf '%s\n' "$ppm"
}

# locate_client WINDOW SHOT [PICTURE BELOW]: finds the background picture (or PICTURE, matched
# within a mean difference below BELOW) in the window and sets CLIENT_X and CLIENT_Y (screen
# position of the client area's top left) and MENU_BAR_HEIGHT. Fails when the picture is not
# there (the window is not painted yet, or painted wrongly).
locate_client() {
    local window=$1 ppm=$2 picture=${3:-} below=${4:-3} dx dy score
    window_geometry "$window" || return 1
    read -r dx dy score < <("$PYTHON" "$HELPER" locate "$ppm" "$WIN_X" "$WIN_Y" "$WIN_W" \
        "$WIN_H" "${picture:-$(background_ppm)}")
    LOCATE_SCORE=$score
    # A mean difference of a few levels is what two JPEG decoders make of the same picture.
    awk -v s="$score" -v below="$below" 'BEGIN { exit !(s < below) }' || return 1
    CLIENT_X=$((WIN_X + dx))
    CLIENT_Y=$((WIN_Y + dy))
    CLIENT_DX=$dx
    MENU_BAR_HEIGHT=$dy
}

# wait_painted WINDOW: polls screenshots until the background picture shows in the window.
wait_painted() {
    local window=$1 ppm
    local end=$((SECONDS + 10))
    while [ "$SECONDS" -le "$end" ]; do
        ppm=$(shot painted)
        if locate_client "$window" "$ppm"; then
            PAINTED_SHOT=$ppm
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Coordinates below are client-area pixels; the functions add the client origin.

# pixel SHOT X Y: prints "R G B".
pixel() {
    "$PYTHON" "$HELPER" pixel "$1" $((CLIENT_X + $2)) $((CLIENT_Y + $3))
}

# pixel_is SHOT X Y "R G B" [TOLERANCE]
pixel_is() {
    local actual
    actual=$(pixel "$1" "$2" "$3")
    colour_near "$actual" "$4" "${5:-0}"
}

colour_near() {
    local -a a=($1) b=($2)
    local tolerance=$3 i d
    for i in 0 1 2; do
        d=$((a[i] - b[i]))
        [ "${d#-}" -le "$tolerance" ] || return 1
    done
}

# region_diff SHOT_A SHOT_B "X Y W H": number of pixels that differ clearly. The same text is
# not always drawn bit for bit the same (after the window has been hidden and shown again its
# glyph edges may blend a few levels differently), while a changed digit changes its pixels by
# a hundred levels and more.
REDRAW_TOLERANCE=24
region_diff() {
    local -a r=($3)
    "$PYTHON" "$HELPER" diff "$1" "$2" $((CLIENT_X + r[0])) $((CLIENT_Y + r[1])) "${r[2]}" \
        "${r[3]}" "$REDRAW_TOLERANCE"
}

# region_ink SHOT "X Y W H" "R G B": pixels that are not (nearly) the given colour.
region_ink() {
    local -a r=($2)
    "$PYTHON" "$HELPER" ink "$1" $((CLIENT_X + r[0])) $((CLIENT_Y + r[1])) "${r[2]}" "${r[3]}" \
        $3 24
}

# shows_background SHOT "X Y W H": the rectangle shows the background picture, so no control
# is drawn there.
shows_background() {
    local -a r=($2)
    "$PYTHON" "$HELPER" matches "$1" $((CLIENT_X + r[0])) $((CLIENT_Y + r[1])) \
        "$(background_ppm)" "${r[0]}" "${r[1]}" "${r[2]}" "${r[3]}" 8
}

# button_hidden "X Y W H" NAME: a push button is hidden when a new shot (named NAME) shows the
# background picture in its place.
button_hidden() { shows_background "$(shot "$2")" "$1"; }
button_shown() { ! shows_background "$(shot "$2")" "$1"; }

# box_changed SHOT "X Y W H" NAME: true once the box's pixels in a new shot differ from those in
# SHOT; LATEST_SHOT is the shot that was compared.
box_changed() {
    LATEST_SHOT=$(shot "$3")
    [ "$(region_diff "$1" "$LATEST_SHOT" "$2")" -gt 0 ]
}

main_window_hidden() { window_gone "$MAIN_TITLE"; }

# click X Y: a real mouse click at client coordinates.
click() {
    # No --sync: it waits for the pointer to move and stalls when it is already there; the
    # server handles the motion before the click anyway, both coming over one connection.
    xdotool mousemove $((CLIENT_X + $1)) $((CLIENT_Y + $2)) click 1
}

key() {
    xdotool key --delay 50 "$@"
}
