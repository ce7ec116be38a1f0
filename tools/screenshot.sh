#!/usr/bin/env bash
# Makes docs/screenshot.png: the main window early in a game (each player has pushed once, the
# right player's clock runs), taken in a private X server. Builds nothing.
# Usage: tools/screenshot.sh [PATH-TO-OSTREVANE]   (default: build/ostrevane)
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tests/desktop/lib.sh"

BINARY=${1:-$ROOT/build/ostrevane}
OUTPUT="$ROOT/docs/screenshot.png"

start_xvfb
open_main_window "$BINARY"
window=$WINDOW

# The right player starts the left clock with the mouse, the left player answers with Space
# after a tick, and the right clock gets a couple of ticks before the picture is taken.
read -r x y w h <<<"$RECT_COMMAND1"
click $((x + w / 2)) $((y + h / 2))
# The pointer leaves the window so that nothing shows a hover state or a tooltip.
xdotool mousemove --sync 0 0
sleep 1.5
key space
sleep 2.5
check_alive "before the picture is taken"

mkdir -p "$(dirname "$OUTPUT")"
import -window "$window" "$WORK_DIR/window.png"
# Without time stamps, so that an unchanged window gives an unchanged file.
"$CONVERT" "$WORK_DIR/window.png" -strip "$OUTPUT"
log "wrote $OUTPUT ($(identify -format '%wx%h' "$OUTPUT"))"

key ctrl+x
wait_app_exit 5 || die "the program did not end on Ctrl+X"
finish
