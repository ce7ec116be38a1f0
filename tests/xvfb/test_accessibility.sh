#!/usr/bin/env bash
# A screen reader's view of the real program: through the accessibility bus (AT-SPI) every
# control says something in words, the clocks read as times and the counters as counts, a push
# button pressed through its "Press" action starts the other clock, whose time is announced
# once per tick.
# Usage: test_accessibility.sh PATH-TO-OSTREVANE
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BINARY=${1:?usage: test_accessibility.sh PATH-TO-OSTREVANE}
[ -x "$BINARY" ] || die "no executable at $BINARY"
require dbus-run-session
"$PYTHON" -c 'import pyatspi' 2>/dev/null ||
    die "python3-pyatspi is not installed for $PYTHON (tools/setup.sh installs it)"

start_xvfb
# A session bus of its own; the accessibility bus starts on demand inside it.
status=0
timeout 120 dbus-run-session -- "$PYTHON" "$XVFB_DIR/atspi_clock.py" "$BINARY" "$XDG_RUNTIME_DIR" \
    2>"$WORK_DIR/bus.stderr" || status=$?
if [ "$status" -ne 0 ]; then
    log "--- bus and program messages:"
    grep -v 'Failed to set fd limit\|Activating service\|Successfully activated' \
        "$WORK_DIR/bus.stderr" | tail -n 20 || true
    die "the screen reader's play failed (status $status)"
fi
finish
