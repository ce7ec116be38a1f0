#!/usr/bin/env bash
# The low-time warning comes out of the desktop's sound server, once per warning tick.
# Starts a private PulseAudio server whose only output is a null sink, records that sink's
# monitor while tst_alertsound drives the clock's ticks, and counts the bursts of sound.
# Usage: test_alertsound.sh PATH-TO-TST_ALERTSOUND
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

TEST_BINARY=${1:?usage: test_alertsound.sh PATH-TO-TST_ALERTSOUND}
# From the bell's start to the next one's: the ticks' spacing, give or take the scheduling of
# the test process and of the sound server.
SPACING_TOLERANCE_MS=150

require parec "$PYTHON"
[ -f /usr/share/sounds/freedesktop/stereo/bell.oga ] ||
    die "the freedesktop sound theme is not installed (tools/setup.sh installs it)"
start_sound_server
pass "private sound server with a null sink as its only output"

parec --device="$SOUND_SINK.monitor" --format=s16le --rate="$SOUND_RATE" --channels=1 \
    >"$WORK_DIR/recording.raw" 2>"$WORK_DIR/recorder.log" &
recorder=$!
started "$recorder"
# The recorder is connected once its stream shows up on the server.
recorder_connected() { pactl list short source-outputs | grep -q .; }
poll 5 recorder_connected || die "the recorder did not connect"

test_status=0
QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 "$TEST_BINARY" >"$WORK_DIR/test.log" 2>&1 || test_status=$?
stop_child "$recorder"
sed 's/^/#   /' "$WORK_DIR/test.log"
[ "$test_status" -eq 0 ] && pass "tst_alertsound passed" || fail "tst_alertsound failed ($test_status)"

read -r expected spacing quiet < <(sed -n \
    's/.*expect \([0-9]*\) bursts \([0-9]*\) ms apart after \([0-9]*\) quiet ticks.*/\1 \2 \3/p' \
    "$WORK_DIR/test.log")
[ -n "${expected:-}" ] || die "tst_alertsound did not say how many bursts to expect"

mapfile -t bursts < <("$PYTHON" "$TESTS_DIR/sound/count_bursts.py" "$WORK_DIR/recording.raw" \
    "$SOUND_RATE" 2>"$WORK_DIR/bursts.log")
sed 's/^/# /' "$WORK_DIR/bursts.log"
if [ "${#bursts[@]}" -eq "$expected" ]; then
    pass "$expected bursts of sound for $expected warning ticks (after $quiet quiet ticks)"
else
    fail "${#bursts[@]} bursts of sound recorded, expected $expected (one per warning tick)"
fi

previous=""
for burst in "${bursts[@]}"; do
    read -r start length peak <<<"$burst"
    log "#   burst at $start ms: $length ms long, peak $peak"
    [ "$length" -lt "$spacing" ] || fail "a burst of $length ms: the bells run into each other"
    if [ -n "$previous" ]; then
        gap=$((start - previous))
        distance=$((gap - spacing))
        [ "${distance#-}" -le "$SPACING_TOLERANCE_MS" ] &&
            pass "next bell $gap ms after the previous one (ticks $spacing ms apart)" ||
            fail "next bell $gap ms after the previous one, expected about $spacing ms"
    fi
    previous=$start
done

finish
