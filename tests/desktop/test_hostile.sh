#!/usr/bin/env bash
# The real binary where the desktop does not give it the fonts it asks for: none of the faces it
# requests installed, the only font there is is one copy of DejaVu Serif (no Arial, Courier New,
# Times New Roman, MS Sans Serif, DejaVu Sans or any Liberation face). It must start, draw its
# digits and both push-button arrows, and play. (A display scale of 2: test_highdpi.sh.)
# Usage: test_hostile.sh PATH-TO-OSTREVANE
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BINARY=${1:?usage: test_hostile.sh PATH-TO-OSTREVANE}

read -r RIGHT_X RIGHT_Y RIGHT_W RIGHT_H <<<"$RECT_COMMAND1"

# arrows SHOT: compares the glyphs drawn on the two push buttons (dark pixels well inside each
# button face). Each must be a real arrow: ink, and not the same when mirrored (a box drawn for
# a missing glyph is), and the right button's must be the mirror image of the left one's.
arrows() {
    "$PYTHON" - "$DESKTOP_DIR" "$1" "$CLIENT_X" "$CLIENT_Y" "$RECT_COMMAND2" "$RECT_COMMAND1" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from xhelper import Image

shot = Image(sys.argv[2])
cx, cy = int(sys.argv[3]), int(sys.argv[4])
inset = 4   # past the button's frame
dark = 100  # glyph pixels: the button text colour on the light face

def glyph(rect):
    x, y, w, h = map(int, rect.split())
    x, y, w, h = cx + x + inset, cy + y + inset, w - 2 * inset, h - 2 * inset
    pixels = set()
    for row in range(h):
        data = shot.row(x, y + row, w)
        for col in range(w):
            r, g, b = data[3 * col:3 * col + 3]
            if (r * 299 + g * 587 + b * 114) // 1000 < dark:
                pixels.add((col, row))
    return pixels, w

def mirrored(pixels, width, shift=0):
    return {(width - 1 - x + shift, y) for x, y in pixels}

def mismatch(a, b):
    return len(a ^ b) / max(len(a | b), 1)

left, width = glyph(sys.argv[5])
right, _ = glyph(sys.argv[6])
print(f"left arrow {len(left)} px, right arrow {len(right)} px")
ok = True
for name, pixels in (("left", left), ("right", right)):
    own = min(mismatch(pixels, mirrored(pixels, width, s)) for s in range(-2, 3))
    print(f"{name} glyph against its own mirror image: {own:.2f} of its pixels differ")
    if len(pixels) < 30 or own < 0.3:
        ok = False
pair = min(mismatch(right, mirrored(left, width, s)) for s in range(-2, 3))
print(f"right glyph against the left one mirrored: {pair:.2f} of their pixels differ")
sys.exit(0 if ok and pair < 0.25 else 1)
PY
}

start_xvfb

# ---- None of the requested font faces ------------------------------------------------------

mkdir -p "$WORK_DIR/fonts" "$WORK_DIR/fontcache"
cp /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf "$WORK_DIR/fonts/" ||
    die "DejaVuSerif.ttf is not installed (fonts-dejavu-core)"
cat >"$WORK_DIR/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$WORK_DIR/fonts</dir>
  <cachedir>$WORK_DIR/fontcache</cachedir>
</fontconfig>
EOF
export FONTCONFIG_FILE="$WORK_DIR/fonts.conf"
families=$(fc-list : family | sort -u | paste -sd, -)
[ "$families" = "DejaVu Serif" ] && pass "the only font installed is DejaVu Serif" ||
    die "fontconfig should offer DejaVu Serif alone, it offers: $families"
for face in Arial "Courier New" "Times New Roman" "MS Sans Serif" "DejaVu Sans"; do
    log "# fc-match \"$face\": $(fc-match "$face")"
done

open_main_window "$BINARY"
start=$START_SHOT
pass "the main window is up with DejaVu Serif standing in for every face"
for box in "${DIGIT_BOXES[@]}"; do
    n=$(region_ink "$start" "${!box}" "$DIGIT_BACKGROUND")
    [ "$n" -gt 100 ] && pass "${box#RECT_}: digits drawn ($n px of ink)" ||
        fail "${box#RECT_}: no digits drawn ($n px of ink)"
done
if verdict=$(arrows "$start"); then
    pass "both push buttons show arrows, mirror images of each other"
else
    fail "the push buttons do not show two mirrored arrows"
fi
printf '%s\n' "$verdict" | sed 's/^/# /'
click $((RIGHT_X + RIGHT_W / 2)) $((RIGHT_Y + RIGHT_H / 2))
poll 5 button_hidden "$RECT_COMMAND1" fonts-pushed && pass "a click on Command1 pushed it" ||
    fail "Command1 is still shown after a click"
poll 4 box_changed "$start" "$RECT_SEC_LEFT" fonts-running && pass "the left clock runs" ||
    fail "the left clock did not run within 4 s of the push"
key ctrl+x
wait_app_exit 10 && [ "$APP_STATUS" -eq 0 ] && pass "Ctrl+X ended it with status 0" ||
    fail "the program did not end cleanly on Ctrl+X (status ${APP_STATUS:-still running})"

finish
