#!/usr/bin/env bash
# The end-to-end game of the real binary (game.py), the same steps on each desktop:
#   test_game.sh bare|openbox|kde|xfce|sway|gnome [--screen-reader] PATH-TO-OSTREVANE
# bare     Xvfb alone: windows have no frame and the test hands out the keyboard focus;
# openbox, kde, xfce
#          Xvfb with a window manager, which places the windows and gives the focus: openbox, KDE
#          Plasma's KWin as its X11 session runs it, Xfce's xfwm4;
# sway     native Wayland in a headless sway compositor. sway refuses to run as root, so run as
#          root the script runs the desktop and the game as a user of its own;
# gnome    native Wayland in GNOME's compositor, mutter, headless; keys go through its
#          remote-desktop service.
# --screen-reader  the screen reader Orca listens (its speech goes to a private sound server)
#          and the game checks what it says.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

usage="usage: test_game.sh bare|openbox|kde|xfce|sway|gnome [--screen-reader] PATH-TO-OSTREVANE"
DESKTOP=${1:?$usage}
shift
if [ "${1:-}" = --screen-reader ]; then
    SCREEN_READER=1
    shift
fi
BINARY=${1:?$usage}
# Created once, as a system user without a home, and kept for later runs on the machine.
USER_OF_ITS_OWN=ostrevane-test

# ---- Outside: the files the game needs, and a D-Bus session for it ----------------------------
if [ -z "${GAME_INSIDE:-}" ]; then
    require dbus-run-session "$PYTHON" /usr/bin/convert
    # The desktop's user may not read the source tree, so what it needs goes along.
    mkdir -p "$WORK_DIR/tests/desktop"
    cp "$TESTS_DIR/common.sh" "$WORK_DIR/tests/"
    cp "$TESTS_DIR/desktop/"{test_game.sh,game.py,screensaver.py,xhelper.py,orca_launch.py} \
        "$WORK_DIR/tests/desktop/"
    cp "$BINARY" "$WORK_DIR/ostrevane"
    /usr/bin/convert "$SOURCE_DIR/resources/background.jpg" "$WORK_DIR/background.ppm"
    as_user=()
    if [ "$DESKTOP" = sway ] && [ "$(id -u)" -eq 0 ]; then
        id "$USER_OF_ITS_OWN" >/dev/null 2>&1 || useradd --system --no-create-home "$USER_OF_ITS_OWN"
        chmod 755 "$WORK_DIR"
        chown -R "$USER_OF_ITS_OWN:" "$WORK_DIR"
        as_user=(runuser -u "$USER_OF_ITS_OWN" --)
    fi
    status=0
    "${as_user[@]}" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$WORK_DIR" LANG=C.UTF-8 \
        GAME_INSIDE=1 OSTREVANE_WORK_DIR="$WORK_DIR" SCREEN_READER="${SCREEN_READER:-}" \
        ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
        ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
        dbus-run-session -- bash "$WORK_DIR/tests/desktop/test_game.sh" "$DESKTOP" "$WORK_DIR/ostrevane" ||
        status=$?
    [ "$status" -eq 0 ] || FAILURES=$((FAILURES + 1))
    SHOW_ON_FAILURE+=("desktop log:$WORK_DIR/desktop.log" "X server log:$WORK_DIR/xvfb.log"
        "application stderr:$WORK_DIR/app.stderr")
    finish
fi

# ---- Inside: the desktop, the screen reader and the game ---------------------------------------
wait_for() {
    local seconds=$1
    shift
    poll "$seconds" "$@" || die "$* did not come up in $seconds s"
}
wm_announced() {
    local check
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }')
    [ -n "$check" ] && xprop -id "$check" _NET_WM_NAME >/dev/null 2>&1
}
sway_socket() { compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" >/dev/null; }
sway_answers() { swaymsg -t get_version >/dev/null 2>&1; }
seat_has_keyboard() { swaymsg -t get_seats | grep -q '"capabilities": [1-9]'; }
wayland_socket() { [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]; }
orca_speaks() { grep -q "SPEECH OUTPUT: 'Screen reader on.'" "$WORK_DIR/speech.log" 2>/dev/null; }

# The X11 window managers, as each desktop starts its own (KWin without its compositor, which
# wants a GPU).
declare -A WINDOW_MANAGER=([openbox]="openbox" [kde]="kwin_x11 --replace"
    [xfce]="xfwm4 --replace --compositor=off")
export KWIN_COMPOSE=N
case $DESKTOP in
bare | openbox | kde | xfce)
    require xdotool xprop import
    start_x_server
    if [ "$DESKTOP" != bare ]; then
        read -ra manager <<<"${WINDOW_MANAGER[$DESKTOP]}"
        require "${manager[0]}"
        "${manager[@]}" >"$WORK_DIR/desktop.log" 2>&1 &
        started $!
        wait_for 20 wm_announced
    fi
    ;;
gnome)
    require mutter dbus-daemon /usr/libexec/gnome-session-binary
    # GNOME's session manager, which the game starts, wants a system bus (a private one serves)
    # and a session to run: one with no components of its own.
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$WORK_DIR/system_bus"
    dbus-daemon --config-file=/usr/share/dbus-1/session.conf --address="$DBUS_SYSTEM_BUS_ADDRESS" \
        --nofork --nopidfile >/dev/null 2>&1 &
    started $!
    mkdir -p "$WORK_DIR/share/gnome-session/sessions"
    printf '[GNOME Session]\nName=Ostrevane test\nRequiredComponents=\n' \
        >"$WORK_DIR/share/gnome-session/sessions/ostrevane.session"
    export XDG_DATA_DIRS="$WORK_DIR/share:/usr/share"
    export WAYLAND_DISPLAY=ostrevane-wayland
    mutter --headless --wayland --no-x11 --virtual-monitor 1280x1024 \
        --wayland-display="$WAYLAND_DISPLAY" >"$WORK_DIR/desktop.log" 2>&1 &
    started $!
    wait_for 20 wayland_socket
    ;;
sway)
    require sway swaymsg wtype grim
    # Sway hands the keyboard on when a program asks for its own window only where told to (by
    # default it marks the window as wanting attention): the game checks that the program asks.
    printf 'output HEADLESS-1 resolution 1280x1024\nxwayland disable\n%s\n' \
        'focus_on_window_activation smart' >"$WORK_DIR/sway.conf"
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway -c "$WORK_DIR/sway.conf" >"$WORK_DIR/desktop.log" 2>&1 &
    started $!
    wait_for 10 sway_socket
    export SWAYSOCK
    SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -n 1)
    wait_for 10 sway_answers
    export WAYLAND_DISPLAY
    WAYLAND_DISPLAY=$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-[0-9]" | head -n 1)")
    # The headless seat has no keyboard: each wtype would bring one and take it away again, and
    # with it the window's activation and its focus on the accessibility bus. One that only
    # waits keeps a keyboard on the seat, as a desktop has.
    wtype -s 86400000 &
    started $!
    wait_for 10 seat_has_keyboard
    # The idle daemon, as sway's users run it, with a short idle time; the game reads its file.
    require swayidle
    : >"$WORK_DIR/idle.log"
    swayidle -w timeout 3 "echo \$(date +%T.%N) timeout >>'$WORK_DIR/idle.log'" \
        resume "echo \$(date +%T.%N) resume >>'$WORK_DIR/idle.log'" >>"$WORK_DIR/desktop.log" 2>&1 &
    started $!
    ;;
*) die "$usage" ;;
esac
log "# $DESKTOP desktop up"

# Orca first, then its speech server, which outlives it: a leftover one makes the next Orca hang.
stop_screen_reader() {
    stop_child "$orca"
    local pidfile="$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid"
    if [ -f "$pidfile" ] && grep -q speech-dispatcher "/proc/$(cat "$pidfile")/comm" 2>/dev/null; then
        stop_child "$(cat "$pidfile")"
    fi
}
speech=()
if [ -n "${SCREEN_READER:-}" ]; then
    require orca
    start_sound_server
    "$PYTHON" "$TESTS_DIR/desktop/orca_launch.py" "$WORK_DIR/speech.log" >"$WORK_DIR/orca.log" 2>&1 &
    orca=$!
    EXIT_HOOKS+=(stop_screen_reader)
    wait_for 30 orca_speaks
    speech=("$WORK_DIR/speech.log")
fi

"$PYTHON" "$TESTS_DIR/desktop/game.py" "$DESKTOP" "$BINARY" "$WORK_DIR" "${speech[@]}" ||
    FAILURES=$((FAILURES + 1))
finish
