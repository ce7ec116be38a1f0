#!/usr/bin/env bash
# The main window at a display scale of 2 (QT_SCALE_FACTOR=2) against the same window at scale 1:
# exactly twice the size, every control where it was and as large relative to the window, the
# text drawn larger (not left at its scale-1 size), the pictures doubled sharp-edged rather than
# smoothed, and a click on a doubled button landing on it.
# Usage: test_highdpi.sh PATH-TO-OSTREVANE
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BINARY=${1:?usage: test_highdpi.sh PATH-TO-OSTREVANE}
COMPARE="$DESKTOP_DIR/highdpi_compare.py"
# Mean difference per channel (0-255) allowed between a control at scale 1 and its 2x drawing
# reduced to scale 1. Text is rasterised afresh at each size, so edges differ by a few levels
# on average (measured up to about 7 on the arrow buttons); a control drawn elsewhere or at
# another size differs by far more.
MAX_MEAN_DIFFERENCE=12
# Share of the pictures' 2x2 blocks that must repeat their scale-1 pixel exactly.
MIN_SHARP_PERCENT=99

# Controls in client-area pixels (left top width height), from their places in twips.
CONTROLS=(
    "Picture1=40,8,461,61"
    "CommSet=16,104,41,33" "Command2=148,104,57,33" "CommPause=240,104,89,33"
    "Command1=364,104,57,33" "CommReset=512,104,49,33"
    "lblHoursLeft=8,148,49,97" "lblMinLeft=68,148,97,97" "lblSecLeft=176,148,101,97"
    "lblHoursRight=296,148,49,97" "lblMinRight=356,148,93,97" "lblSecRight=460,148,101,97"
    "Label3=5,141,276,111" "Label4=292,141,271,111"
    "Label5=4,256,65,25" "MovesLeft=76,256,57,23" "Label6=436,256,65,25"
    "MovesRight=508,256,57,23"
)
# Pictures drawn at their natural size: the first banner, and a band of the background picture
# between the banner strip and the buttons.
PICTURES=("banner 40 8 461 58" "background 0 70 567 34")

grab() { import -window "$1" -depth 8 "ppm:$2"; }

start_xvfb

# ---- Scale 1 --------------------------------------------------------------------------------------
open_main_window "$BINARY"
window=$WINDOW
one="$WORK_DIR/scale1.ppm"
grab "$window" "$one"
W1=$WIN_W H1=$WIN_H MENU=$MENU_BAR_HEIGHT
log "# scale 1: ${W1}x$H1, menu bar $MENU px"
close_window "$window"
wait_app_exit 5 || die "the scale-1 program did not end when its window was closed"

# ---- Scale 2 --------------------------------------------------------------------------------------
QT_SCALE_FACTOR=2 start_app "$BINARY"
window=$(find_window "$MAIN_TITLE" 20)
[ -n "$window" ] || die "no main window at scale 2"
two="$WORK_DIR/scale2.ppm"
# Painted once the background band between banners and buttons shows, doubled.
read -r _ band_y _ band_h <<<"${PICTURES[1]#* }"
painted=0
for _ in $(seq 50); do
    window_geometry "$window"
    if [ "$WIN_W" -eq $((2 * W1)) ] && [ "$WIN_H" -eq $((2 * H1)) ]; then
        grab "$window" "$two"
        read -r exact total < <("$PYTHON" "$COMPARE" sharp "$one" "$two" 0 $((MENU + band_y)) 567 \
            "$band_h")
        if [ "$exact" -eq "$total" ]; then
            painted=1
            break
        fi
    fi
    sleep 0.2
done
log "# scale 2: ${WIN_W}x$WIN_H"
[ "$WIN_W" -eq $((2 * W1)) ] && [ "$WIN_H" -eq $((2 * H1)) ] &&
    pass "at scale 2 the window is exactly twice its size: ${WIN_W}x$WIN_H (${W1}x$H1)" ||
    die "at scale 2 the window is ${WIN_W}x$WIN_H, expected $((2 * W1))x$((2 * H1))"
[ "$painted" -eq 1 ] || fail "at scale 2 the background picture is not the doubled scale-1 one"
cp "$two" "$WORK_DIR/scale2-kept.ppm"

# ---- Places, proportions and text ---------------------------------------------------------------
rects=("menu bar=0,0,$W1,$MENU")
for control in "${CONTROLS[@]}"; do
    IFS=, read -r x y w h <<<"${control#*=}"
    rects+=("${control%%=*}=$x,$((y + MENU)),$w,$h")
done
rects+=("whole window=0,0,$W1,$H1")
while read -r name mean dx dy best; do
    name=${name//_/ }
    if awk -v m="$mean" -v t="$MAX_MEAN_DIFFERENCE" 'BEGIN { exit !(m <= t) }' &&
        [ "$dx" -eq 0 ] && [ "$dy" -eq 0 ]; then
        pass "$name: in place at scale 2 (mean difference $mean)"
    elif [ "$dx" -ne 0 ] || [ "$dy" -ne 0 ]; then
        fail "$name: at scale 2 it matches best $dx,$dy px away ($best against $mean in place)"
    else
        fail "$name: at scale 2 it differs by $mean on average (allowed $MAX_MEAN_DIFFERENCE)"
    fi
done < <("$PYTHON" "$COMPARE" places "$one" "$two" "${rects[@]// /_}")

# ---- Sharp-edged pictures -----------------------------------------------------------------------
for picture in "${PICTURES[@]}"; do
    read -r name x y w h <<<"$picture"
    read -r exact total < <("$PYTHON" "$COMPARE" sharp "$one" "$two" "$x" $((y + MENU)) "$w" "$h")
    percent=$((100 * exact / total))
    [ "$percent" -ge "$MIN_SHARP_PERCENT" ] &&
        pass "$name picture doubled sharp-edged: $exact of $total pixels repeated exactly" ||
        fail "$name picture smoothed at scale 2: only $exact of $total pixels ($percent%) repeated exactly"
done

# ---- A click at scale 2 -------------------------------------------------------------------------
# Lands on the doubled Command1: the button goes and the left clock runs.
CLIENT_X=$WIN_X CLIENT_Y=$((WIN_Y + 2 * MENU))
doubled() {
    local -a r=($1)
    echo "$((2 * r[0])) $((2 * r[1])) $((2 * r[2])) $((2 * r[3]))"
}
start=$(shot scaled)
read -r x y w h <<<"$(doubled "$RECT_COMMAND1")"
click $((x + w / 2)) $((y + h / 2))
poll 5 box_changed "$start" "$(doubled "$RECT_COMMAND1")" scaled-pushed &&
    pass "a click on the doubled Command1 pushed it" || fail "Command1 did not go on a click"
poll 4 box_changed "$start" "$(doubled "$RECT_SEC_LEFT")" scaled-running &&
    pass "the left clock runs" || fail "the left clock did not run within 4 s of the push"

close_window "$window"
wait_app_exit 5 || fail "the scale-2 program did not end when its window was closed"
finish
