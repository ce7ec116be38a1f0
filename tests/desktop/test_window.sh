#!/usr/bin/env bash
# The real binary in a real X server: the main window's size, where its clock digits and move
# counters are drawn, that it hears no key typed into another program, that closing it ends the
# program cleanly, what it says without a display, and where its messages appear on two monitors.
# Usage: test_window.sh PATH-TO-OSTREVANE
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BINARY=${1:?usage: test_window.sh PATH-TO-OSTREVANE}

# ---- Without a display ------------------------------------------------------------------------

no_display_status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$BINARY" \
    >"$WORK_DIR/nodisplay.stdout" 2>"$WORK_DIR/nodisplay.stderr" || no_display_status=$?
stderr_lines=$(wc -l <"$WORK_DIR/nodisplay.stderr")
if [ "$no_display_status" -eq 124 ]; then
    fail "without a display the program should end at once, but it still ran after 20 s"
elif [ "$no_display_status" -eq 0 ]; then
    fail "without a display the program should fail, but it exited with status 0"
elif [ "$no_display_status" -ge 128 ]; then
    fail "without a display the program died from signal $((no_display_status - 128))"
else
    pass "without a display the program exits with status $no_display_status"
fi
if [ "$stderr_lines" -eq 1 ] && grep -qi 'display' "$WORK_DIR/nodisplay.stderr"; then
    pass "without a display it says so in one line: $(cat "$WORK_DIR/nodisplay.stderr")"
else
    fail "without a display stderr should be one line about the display; it was:"
    cat "$WORK_DIR/nodisplay.stderr"
fi

# ---- The main window --------------------------------------------------------------------------

start_xvfb
open_main_window "$BINARY"
pass "the main window \" Corvatine\" is shown and painted"
window=$WINDOW
s=$START_SHOT
log "# window at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H; menu bar $MENU_BAR_HEIGHT px high"

# The background picture is 567 x 283 and is drawn from the client area's top left corner, so
# where it lies gives the client area, and the menu bar is what is above it.
[ "$CLIENT_DX" -eq 0 ] && pass "the background picture starts at the window's left edge" ||
    fail "the background picture starts $CLIENT_DX px off the window's left edge"
[ "$WIN_W" -eq "$CLIENT_WIDTH" ] && pass "the window is $CLIENT_WIDTH px wide" ||
    fail "the window is $WIN_W px wide, expected $CLIENT_WIDTH"
[ "$MENU_BAR_HEIGHT" -gt 0 ] && pass "a menu bar ($MENU_BAR_HEIGHT px) lies above the client area" ||
    fail "nothing lies above the background picture: no menu bar"
client_height=$((WIN_H - MENU_BAR_HEIGHT))
[ "$client_height" -eq "$CLIENT_HEIGHT" ] &&
    pass "the client area below the menu bar is ${CLIENT_WIDTH}x$CLIENT_HEIGHT" ||
    fail "the client area below the menu bar is ${WIN_W}x$client_height, expected ${CLIENT_WIDTH}x$CLIENT_HEIGHT"

# Free of controls: the picture's own dark greys show (the top band and the outer columns).
for point in "2 50" "564 200" "280 3" "2 270"; do
    colour=$(pixel "$s" $point)
    read -r r g b <<<"$colour"
    if shows_background "$s" "$point 1 1" && [ "$r" -le 90 ] && [ "$g" -le 90 ] && [ "$b" -le 90 ]; then
        pass "background picture's dark grey at ($point): $colour"
    else
        fail "at ($point) the background picture's dark grey was expected, found $colour"
    fi
done

# Each digit box is grey exactly inside its rectangle: a pixel inside each edge is the box's
# grey, the pixel just outside it is the background picture. The probes keep clear of the
# glyphs, which start well below the top of a box and end above its bottom.
check_box() {
    local name=$1 left top width height
    read -r left top width height <<<"$2"
    local inside_ok=1 outside_ok=1 point
    for point in "$((left + 2)) $((top + 2))" "$((left + 2)) $top" "$left $((top + 2))" \
        "$((left + width - 1)) $((top + 2))" "$((left + 2)) $((top + height - 1))" \
        "$((left + width - 3)) $((top + height - 2))"; do
        pixel_is "$s" $point "$DIGIT_BACKGROUND" || {
            inside_ok=0
            log "#   $name: at ($point) $(pixel "$s" $point), expected $DIGIT_BACKGROUND"
        }
    done
    for point in "$((left - 1)) $((top + 2))" "$((left + width)) $((top + 2))" \
        "$((left + 2)) $((top - 1))" "$((left + 2)) $((top + height))"; do
        shows_background "$s" "$point 1 1" || {
            outside_ok=0
            log "#   $name: at ($point) $(pixel "$s" $point), expected the background picture"
        }
    done
    [ "$inside_ok" -eq 1 ] && [ "$outside_ok" -eq 1 ] &&
        pass "$name: grey (224,224,224) box at exactly ($2)" ||
        fail "$name: its grey box is not at ($2)"
}
check_box lblHoursLeft "$RECT_HOURS_LEFT"
check_box lblMinLeft "$RECT_MIN_LEFT"
check_box lblSecLeft "$RECT_SEC_LEFT"
check_box lblHoursRight "$RECT_HOURS_RIGHT"
check_box lblMinRight "$RECT_MIN_RIGHT"
check_box lblSecRight "$RECT_SEC_RIGHT"

# The digits themselves, in each clock's colour, inside the boxes.
check_glyph() {
    local name=$1 rect=$2 colour=$3 minimum=$4 count
    local -a r=($rect)
    count=$("$PYTHON" "$HELPER" ink "$s" $((CLIENT_X + r[0])) $((CLIENT_Y + r[1])) "${r[2]}" \
        "${r[3]}" $colour 40)
    total=$((r[2] * r[3]))
    # ink counts pixels away from the colour; the glyph is what is close to it.
    glyph=$((total - count))
    [ "$glyph" -ge "$minimum" ] && pass "$name: a glyph of $glyph px in ($colour)" ||
        fail "$name: only $glyph px in ($colour), expected at least $minimum"
}
check_glyph lblHoursLeft "$RECT_HOURS_LEFT" "128 128 255" 300
check_glyph lblMinLeft "$RECT_MIN_LEFT" "0 0 255" 300
check_glyph lblSecLeft "$RECT_SEC_LEFT" "0 0 255" 600
check_glyph lblHoursRight "$RECT_HOURS_RIGHT" "255 128 255" 300
check_glyph lblMinRight "$RECT_MIN_RIGHT" "192 0 192" 300
check_glyph lblSecRight "$RECT_SEC_RIGHT" "192 0 192" 600

# Move counters: their pale blue boxes start exactly at their left edges.
for counter in "MovesLeft 76 256" "MovesRight 508 256"; do
    read -r name left top <<<"$counter"
    if pixel_is "$s" $((left + 1)) $((top + 2)) "192 192 255" &&
        pixel_is "$s" "$left" $((top + 2)) "192 192 255" &&
        shows_background "$s" "$((left - 1)) $((top + 2)) 1 1"; then
        pass "$name: (192,192,255) box from x=$left"
    else
        fail "$name: expected its (192,192,255) box from x=$left, found" \
            "$(pixel "$s" $((left - 1)) $((top + 2))) | $(pixel "$s" "$left" $((top + 2)))"
    fi
done

# Both push buttons are shown at start-up: their places do not show the background.
for button in "Command2:$RECT_COMMAND2" "Command1:$RECT_COMMAND1"; do
    if shows_background "$s" "${button#*:}"; then
        fail "${button%%:*} is not drawn at (${button#*:})"
    else
        pass "${button%%:*} is drawn at (${button#*:})"
    fi
done

# ---- Keys typed into another program ----------------------------------------------------------
# The program hears nothing of them: another program's window takes twenty keys, and the
# program, idle before the first push, is not woken once.
wakeups() { cat /proc/"$APP_PID"/task/*/status | awk '/ctxt_switches/ { n += $2 } END { print n }'; }
xev -geometry 100x100+0+0 >/dev/null 2>&1 &
started $!
focus_window "$(find_window '^Event Tester$' 10)"
# The first key of xdotool's own keyboard device has every program read the keyboard map anew.
xdotool type z
sleep 0.5
woken=$(wakeups)
xdotool type --delay 20 abcdefghijklmnopqrst
sleep 0.5
woken=$(($(wakeups) - woken))
[ "$woken" -eq 0 ] && pass "twenty keys typed into another program woke the program 0 times" ||
    fail "twenty keys typed into another program woke the program $woken times"
focus_window "$window"

# ---- Closing it -------------------------------------------------------------------------------

check_alive "before the window is closed"
close_window "$window"
closed_at=$(date +%s%N)
if wait_app_exit 5; then
    took_ms=$((($(date +%s%N) - closed_at) / 1000000))
    [ "$APP_STATUS" -eq 0 ] && pass "closing the window ends the program with status 0 (after $took_ms ms)" ||
        fail "closing the window ends the program with status $APP_STATUS, expected 0"
else
    fail "the program still runs 5 s after its window was closed"
fi

# ---- Two monitors -----------------------------------------------------------------------------
# A message comes up over the window that the players look at, on its monitor, wherever the mouse
# pointer rests: "The Game Is Over" over the clock window, or over the settings dialog while that
# is up, and the settings' refusal over the dialog. The left player has one minute.
# over MESSAGE-TITLE WINDOW-TITLE [SECONDS]: the message comes up within the time, centred over
# the window on the first monitor. Seeing no window manager's frame, Qt centres a message as if
# it had a frame of its own guess (10 by 40 pixels): that far off is still centred.
over() {
    local message=$1 window=$2 dx dy
    window_geometry "$(find_window "$message" "${3:-10}")" || return 1
    dx=$((WIN_X + WIN_W / 2)) dy=$((WIN_Y + WIN_H / 2))
    window_geometry "$(find_window "$window" 1)" || return 1
    dx=$((dx - WIN_X - WIN_W / 2)) dy=$((dy - WIN_Y - WIN_H / 2))
    log "# \"$message\" centred $dx,$dy from the centre of \"$window\" at $WIN_X,$WIN_Y"
    [ "${dx#-}" -le 10 ] && [ "${dy#-}" -le 40 ] && [ $((WIN_X + WIN_W)) -le 1280 ]
}
# focused_key TITLE KEY...: the keys once the window has the keyboard and a moment to take it.
focused_key() {
    focus_window "$(find_window "$1" 10)" && sleep 0.5 && key "${@:2}"
}
if start_two_monitors; then
    start_app "$BINARY"
    focused_key "$MAIN_TITLE" alt+s
    focused_key "$DIALOG_TITLE" Tab ctrl+a 1 Return
    xdotool mousemove 1900 500
    focused_key "$MAIN_TITLE" ctrl+l
    over '^Ostrevane$' "$MAIN_TITLE" 70 && pass '"The Game Is Over" over the clock window' ||
        fail '"The Game Is Over" is not over the clock window'
    focused_key '^Ostrevane$' Return
    focused_key "$MAIN_TITLE" ctrl+r ctrl+l alt+s
    focused_key "$DIALOG_TITLE" ctrl+a 7 5 Tab
    over '^Ostrevane$' "$DIALOG_TITLE" && pass 'the refusal over the settings dialog' ||
        fail 'the refusal is not over the settings dialog'
    focused_key '^Ostrevane$' Return
    focused_key "$DIALOG_TITLE" ctrl+a 1
    over '^Ostrevane$' "$DIALOG_TITLE" 70 && pass '"The Game Is Over" over the settings dialog' ||
        fail '"The Game Is Over" is not over the settings dialog'
else
    log "# the two monitors' checks need Xorg run as root: not run"
fi

finish
