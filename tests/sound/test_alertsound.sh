#!/usr/bin/env bash
# The low-time warning comes out of the desktop's sound server, once per warning tick.
# Starts a private PulseAudio server whose only output is a null sink, records that sink's
# monitor while tst_alertsound drives the clock's ticks, and counts the bursts of sound.
# Usage: test_alertsound.sh PATH-TO-TST_ALERTSOUND
set -euo pipefail

TEST_BINARY=${1:?usage: test_alertsound.sh PATH-TO-TST_ALERTSOUND}
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
RATE=44100
# From the bell's start to the next one's: the ticks' spacing, give or take the scheduling of
# the test process and of the sound server.
SPACING_TOLERANCE_MS=150

WORK=$(mktemp -d "${TMPDIR:-/tmp}/ostrevane-sound.XXXXXX")
SERVER_PID=""
RECORDER_PID=""
FAILURES=0

log() { printf '%s\n' "$*"; }
pass() { log "ok - $*"; }
fail() {
    log "FAIL - $*"
    FAILURES=$((FAILURES + 1))
}
die() {
    log "FAIL - $*"
    exit 1
}

stop() {
    local pid=$1
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    local status=$?
    stop "$RECORDER_PID"
    stop "$SERVER_PID"
    if [ "$status" -ne 0 ] || [ "$FAILURES" -ne 0 ]; then
        log "recording and logs kept in $WORK"
        [ -s "$WORK/server.log" ] && { log "--- sound server log:"; tail -n 20 "$WORK/server.log"; }
    else
        rm -rf "$WORK"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

for tool in pulseaudio pactl parec /usr/bin/python3; do
    command -v "$tool" >/dev/null || die "$tool is not installed (tools/setup.sh installs it)"
done
[ -f /usr/share/sounds/freedesktop/stereo/bell.oga ] ||
    die "the freedesktop sound theme is not installed (tools/setup.sh installs it)"

# Everything the server and its clients keep lives in the work folder, so that the test meets
# no other sound server and leaves nothing behind.
mkdir -p "$WORK/runtime" "$WORK/home"
chmod 700 "$WORK/runtime"
# The sound server's clients keep a cookie in the home folder.
export HOME="$WORK/home"
export XDG_RUNTIME_DIR="$WORK/runtime"
export PULSE_RUNTIME_PATH="$WORK/runtime/pulse"
export PULSE_STATE_PATH="$WORK/home/state"
export PULSE_SERVER="unix:$WORK/runtime/native"
printf 'autospawn = no\n' >"$WORK/client.conf"
export PULSE_CLIENTCONFIG="$WORK/client.conf"

# A null sink renders ahead of time and would rewind to fit in a new stream; its monitor
# cannot take back what it has already delivered, so without norewinds a short sound that
# starts mid-buffer never reaches the recording.
pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n \
    --use-pid-file=no --disable-shm=yes \
    -L "module-null-sink sink_name=ostrevane_test rate=$RATE channels=2 norewinds=1" \
    -L "module-native-protocol-unix socket=$WORK/runtime/native auth-anonymous=1" \
    --log-target="file:$WORK/server.log" --log-level=notice &
SERVER_PID=$!

server_ready() {
    kill -0 "$SERVER_PID" 2>/dev/null || return 2
    pactl info >/dev/null 2>&1
}
ready=0
for _ in $(seq 100); do
    if server_ready; then
        ready=1
        break
    fi
    kill -0 "$SERVER_PID" 2>/dev/null || break
    sleep 0.1
done
[ "$ready" -eq 1 ] || die "the private sound server did not start"
[ "$(pactl get-default-sink)" = ostrevane_test ] ||
    die "the null sink is not the default output: $(pactl get-default-sink)"
pass "private sound server with a null sink as its only output"

parec --device=ostrevane_test.monitor --format=s16le --rate=$RATE --channels=1 \
    >"$WORK/recording.raw" 2>"$WORK/recorder.log" &
RECORDER_PID=$!
# The recorder is connected once its stream shows up on the server.
for _ in $(seq 50); do
    pactl list short source-outputs | grep -q . && break
    sleep 0.1
done
pactl list short source-outputs | grep -q . || die "the recorder did not connect"

test_status=0
QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 "$TEST_BINARY" >"$WORK/test.log" 2>&1 || test_status=$?
stop "$RECORDER_PID"
RECORDER_PID=""
sed 's/^/#   /' "$WORK/test.log"
[ "$test_status" -eq 0 ] && pass "tst_alertsound passed" || fail "tst_alertsound failed ($test_status)"

read -r expected spacing quiet < <(sed -n \
    's/.*expect \([0-9]*\) bursts \([0-9]*\) ms apart after \([0-9]*\) quiet ticks.*/\1 \2 \3/p' \
    "$WORK/test.log")
[ -n "${expected:-}" ] || die "tst_alertsound did not say how many bursts to expect"

mapfile -t bursts < <(/usr/bin/python3 "$HERE/count_bursts.py" "$WORK/recording.raw" "$RATE" \
    2>"$WORK/bursts.log")
sed 's/^/# /' "$WORK/bursts.log"
for burst in "${bursts[@]}"; do
    log "#   burst at ${burst%% *} ms: $(cut -d' ' -f2 <<<"$burst") ms long, peak $(cut -d' ' -f3 <<<"$burst")"
done
if [ "${#bursts[@]}" -eq "$expected" ]; then
    pass "$expected bursts of sound for $expected warning ticks (after $quiet quiet ticks)"
else
    fail "${#bursts[@]} bursts of sound recorded, expected $expected (one per warning tick)"
fi

previous=""
for burst in "${bursts[@]}"; do
    start=${burst%% *}
    length=$(cut -d' ' -f2 <<<"$burst")
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

if [ "$FAILURES" -ne 0 ]; then
    log "$FAILURES check(s) failed"
    exit 1
fi
log "all checks passed"
