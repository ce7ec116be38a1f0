#!/usr/bin/env bash
# A short game played on the real binary with real mouse clicks and key presses sent to the
# X server: the first push by mouse, the answer with Space, pause and resume, new times from
# the settings dialog, and Exit by its shortcut.
# Usage: test_e2e_game.sh PATH-TO-OSTREVANE
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BINARY=${1:?usage: test_e2e_game.sh PATH-TO-OSTREVANE}

start_xvfb
open_main_window "$BINARY"
window=$WINDOW
start=$START_SHOT
pass "the main window is up (menu bar $MENU_BAR_HEIGHT px)"

# ---- The right player starts the game with a click on his button ------------------------------

read -r x y w h <<<"$RECT_COMMAND1"
click $((x + w / 2)) $((y + h / 2))
poll 5 button_hidden "$RECT_COMMAND1" after-command1 &&
    pass "clicking Command1 hides it" || die "Command1 is still shown after clicking it"
button_shown "$RECT_COMMAND2" after-command1 && pass "Command2 is shown" ||
    fail "Command2 is not shown after the push on Command1"
poll 4 box_changed "$start" "$RECT_SEC_LEFT" left-running &&
    pass "the left clock runs: its seconds changed" ||
    fail "the left clock's seconds did not change within 4 s of the first push"
right_before=$(shot left-running)
[ "$(region_diff "$start" "$right_before" "$RECT_SEC_RIGHT")" -eq 0 ] &&
    pass "the right clock stands still meanwhile" || fail "the right clock changed while the left one ran"
check_alive "after the first push"

# ---- The left player answers with Space: Command2 has the focus ------------------------------

key space
poll 5 button_hidden "$RECT_COMMAND2" after-space &&
    pass "Space pressed Command2: it is hidden" || die "Space did not press Command2"
button_shown "$RECT_COMMAND1" after-space && pass "Command1 is shown again" ||
    fail "Command1 is not shown after the push on Command2"
answered=$(shot answered)
sleep 2.5 # two ticks of the right clock
ticked=$(shot right-ticked)
[ "$(region_diff "$answered" "$ticked" "$RECT_SEC_RIGHT")" -gt 0 ] &&
    pass "the right clock runs: its seconds changed in 2.5 s" ||
    fail "the right clock's seconds did not change in 2.5 s after Space"
left_changes=0
for box in RECT_HOURS_LEFT RECT_MIN_LEFT RECT_SEC_LEFT; do
    left_changes=$((left_changes + $(region_diff "$answered" "$ticked" "${!box}")))
done
[ "$left_changes" -eq 0 ] && pass "the left clock stopped" ||
    fail "the left clock changed ($left_changes px) after the left player's push"
check_alive "after Space"

# ---- Ctrl+P pauses: the paused side's button comes back, nothing counts --------------------

key ctrl+p
poll 5 button_shown "$RECT_COMMAND2" after-pause &&
    pass "Ctrl+P shows Command2, whose push resumes" || fail "Command2 did not come back on Ctrl+P"
button_hidden "$RECT_COMMAND1" after-pause && pass "Command1 is hidden while paused" ||
    fail "Command1 is still shown while paused"
paused_a=$(shot paused-a)
sleep 1.5 # longer than a tick
paused_b=$(shot paused-b)
changed=$(digits_differ "$paused_a" "$paused_b")
[ "$changed" -eq 0 ] && pass "paused: no digit changes in 1.5 s" ||
    fail "paused, yet $changed digit pixels changed in 1.5 s"
check_alive "after Ctrl+P"

# ---- Space resumes the right clock -------------------------------------------------------------

key space
poll 5 button_hidden "$RECT_COMMAND2" after-resume &&
    pass "Space resumes: Command2 is hidden" || fail "Space did not press Command2 to resume"
button_shown "$RECT_COMMAND1" after-resume && pass "Command1 is shown" ||
    fail "Command1 is not shown after the resume"
poll 4 box_changed "$paused_b" "$RECT_SEC_RIGHT" resumed &&
    pass "the right clock runs again" || fail "the right clock did not run again after the resume"
check_alive "after the resume"

# ---- Alt+S: new times from the settings dialog -----------------------------------------------

key alt+s
poll 5 main_window_hidden && pass "Alt+S hides the main window" ||
    fail "the main window is still shown after Alt+S"
dialog=$(find_window "$DIALOG_TITLE" 10)
[ -n "$dialog" ] || die "no window titled \"Set time parameters\" appeared"
pass "the settings dialog \"Set time parameters\" is shown"
focus_window "$dialog"
check_alive "with the settings dialog open"
# Left hours 1, left minutes 30; then Enter from the right hours field (the default button).
key ctrl+a
xdotool type --delay 50 1
key Tab ctrl+a
xdotool type --delay 50 30
key Tab Return
poll 5 window_gone "$DIALOG_TITLE" && pass "Enter closed the dialog" ||
    die "the dialog is still shown after Enter"
window=$(find_window "$MAIN_TITLE" 10)
[ -n "$window" ] || die "the main window did not come back after OK"
pass "the main window is shown again"
focus_window "$window"
wait_painted "$window" || die "the main window was not painted after the dialog"
# The new times may take a moment to reach the screen.
poll 5 box_changed "$start" "$RECT_MIN_LEFT" settings-applied || true
applied=$LATEST_SHOT
check_alive "after OK"

# 1 h 30 min on the left, and the right side back to its 0 h 5 min: compared with the
# start-up shot, the left hours and minutes changed, the left seconds read "00" again and the
# whole right clock is as at start-up. "1" has far less ink than "0", "30" far more than "5".
for box in RECT_HOURS_LEFT RECT_MIN_LEFT; do
    n=$(region_diff "$start" "$applied" "${!box}")
    [ "$n" -gt 0 ] && pass "${box#RECT_}: changed from start-up ($n px)" ||
        fail "${box#RECT_}: still shows its start-up digits after 1 h 30 min was set"
done
for box in RECT_SEC_LEFT RECT_HOURS_RIGHT RECT_MIN_RIGHT RECT_SEC_RIGHT; do
    n=$(region_diff "$start" "$applied" "${!box}")
    [ "$n" -eq 0 ] && pass "${box#RECT_}: as at start-up" ||
        fail "${box#RECT_}: differs from start-up ($n px) after new settings"
done
hours_before=$(region_ink "$start" "$RECT_HOURS_LEFT" "$DIGIT_BACKGROUND")
hours_after=$(region_ink "$applied" "$RECT_HOURS_LEFT" "$DIGIT_BACKGROUND")
[ $((hours_after * 20)) -lt $((hours_before * 17)) ] &&
    pass "left hours: a narrow glyph (\"1\", $hours_after px) replaced \"0\" ($hours_before px)" ||
    fail "left hours: $hours_after px of ink, \"0\" had $hours_before; \"1\" should have far less"
minutes_before=$(region_ink "$start" "$RECT_MIN_LEFT" "$DIGIT_BACKGROUND")
minutes_after=$(region_ink "$applied" "$RECT_MIN_LEFT" "$DIGIT_BACKGROUND")
[ $((minutes_after * 2)) -gt $((minutes_before * 3)) ] &&
    pass "left minutes: two digits (\"30\", $minutes_after px) replaced \"5\" ($minutes_before px)" ||
    fail "left minutes: $minutes_after px of ink, \"5\" had $minutes_before; \"30\" should have far more"
button_shown "$RECT_COMMAND1" settings-applied && button_shown "$RECT_COMMAND2" settings-applied &&
    pass "both push buttons are shown" || fail "the Set button should leave both push buttons shown"

still=$(shot stopped)
sleep 1.5 # longer than a tick
still_later=$(shot stopped-later)
changed=$(digits_differ "$still" "$still_later")
[ "$changed" -eq 0 ] && pass "no clock runs after new settings" ||
    fail "$changed digit pixels changed in 1.5 s after new settings: a clock runs"
check_alive "before Ctrl+X"

# ---- Ctrl+X ends the program ---------------------------------------------------------------

key ctrl+x
if wait_app_exit 5; then
    [ "$APP_STATUS" -eq 0 ] && pass "Ctrl+X ends the program with status 0" ||
        fail "Ctrl+X ends the program with status $APP_STATUS, expected 0"
else
    fail "the program still runs 5 s after Ctrl+X"
fi

finish
