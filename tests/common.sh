# Shared by the test scripts that run real programs: reporting, polling, a scratch folder, the
# children a script starts (stopped when it ends, last first) and a private sound server.
# Source it from bash; it sets `set -euo pipefail` and an exit trap.

set -euo pipefail

TESTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SOURCE_DIR=$(cd "$TESTS_DIR/.." && pwd)
# Debian's interpreter: the helpers need python3-xlib and pyatspi, which only it has.
PYTHON=/usr/bin/python3
# A script that runs part of its work as another user hands its scratch folder on.
if [ -n "${OSTREVANE_WORK_DIR:-}" ]; then
    WORK_DIR=$OSTREVANE_WORK_DIR
else
    WORK_DIR=$(mktemp -d "${TMPDIR:-/tmp}/ostrevane-test.XXXXXX")
    OWN_WORK_DIR=1
fi
FAILURES=0
CHILDREN=()
# Functions run first when the script ends, for what it started but cannot stop as a child.
EXIT_HOOKS=()
# Files shown when the script fails, as "TITLE:PATH".
SHOW_ON_FAILURE=()

log() { printf '%s\n' "$*"; }

# A failed check is reported and counted; the script goes on unless the check is fatal.
pass() { log "ok - $*"; }
fail() {
    log "FAIL - $*"
    FAILURES=$((FAILURES + 1))
}
die() {
    fail "$*"
    exit 1
}

# Exit status for the end of a test script.
finish() {
    if [ "$FAILURES" -ne 0 ]; then
        log "$FAILURES check(s) failed"
        exit 1
    fi
    log "all checks passed"
    exit 0
}

require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || die "$tool is not installed (tools/setup.sh installs it)"
    done
}

# poll SECONDS COMMAND...: runs the command every 0.1 s until it succeeds or time is up.
poll() {
    local seconds=$1
    shift
    local end
    end=$(($(date +%s%N) + seconds * 1000000000))
    until "$@"; do
        [ "$(date +%s%N)" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# stop_child PID: asks a child of this script to end, forces it after 5 s, and reaps it.
stop_child() {
    local pid=$1 tries=50
    kill "$pid" 2>/dev/null || return 0
    while [ "$tries" -gt 0 ] && [ -n "$(awk '$3 != "Z"' "/proc/$pid/stat" 2>/dev/null)" ]; do
        sleep 0.1
        tries=$((tries - 1))
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# started PID: the child is stopped when the script ends.
started() { CHILDREN+=("$1"); }

cleanup() {
    local status=$? i entry
    for entry in "${EXIT_HOOKS[@]}"; do
        "$entry" || true
    done
    for ((i = ${#CHILDREN[@]} - 1; i >= 0; i--)); do
        stop_child "${CHILDREN[i]}"
    done
    # KEEP_SHOTS=1 keeps the screenshots and logs of a passing run too.
    if [ -z "${OWN_WORK_DIR:-}" ]; then
        return
    elif [ "$status" -ne 0 ] || [ "$FAILURES" -ne 0 ] || [ -n "${KEEP_SHOTS:-}" ]; then
        log "screenshots and logs kept in $WORK_DIR"
        for entry in "${SHOW_ON_FAILURE[@]}"; do
            [ -s "${entry#*:}" ] && { log "--- ${entry%%:*}:"; tail -n 40 "${entry#*:}"; }
        done
    else
        rm -rf "$WORK_DIR"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# start_x_server: a private Xvfb on a display number that it picks itself; exports DISPLAY.
start_x_server() {
    require Xvfb
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK_DIR/display" \
        2>"$WORK_DIR/xvfb.log" &
    XVFB_PID=$!
    started "$XVFB_PID"
    display_written() { [ -s "$WORK_DIR/display" ]; }
    poll 10 display_written || die "Xvfb did not start"
    export DISPLAY=":$(head -n 1 "$WORK_DIR/display")"
    log "# Xvfb on $DISPLAY"
}

# A runtime folder of the script's own, for the programs it starts.
export XDG_RUNTIME_DIR="$WORK_DIR/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# start_sound_server: a private PulseAudio server whose only output is a null sink,
# SOUND_SINK; what the server and its clients keep lives in the scratch folder, so that the
# script meets no other sound server and leaves nothing behind.
SOUND_SINK=ostrevane_test
SOUND_RATE=44100
start_sound_server() {
    require pulseaudio pactl
    mkdir -p "$WORK_DIR/home"
    # The sound server's clients keep a cookie in the home folder.
    export HOME="$WORK_DIR/home"
    export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
    export PULSE_STATE_PATH="$WORK_DIR/home/state"
    export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/native"
    printf 'autospawn = no\n' >"$WORK_DIR/client.conf"
    export PULSE_CLIENTCONFIG="$WORK_DIR/client.conf"
    # A null sink renders ahead of time and would rewind to fit in a new stream; its monitor
    # cannot take back what it has already delivered, so without norewinds a short sound that
    # starts mid-buffer never reaches a recording.
    pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n \
        --use-pid-file=no --disable-shm=yes \
        -L "module-null-sink sink_name=$SOUND_SINK rate=$SOUND_RATE channels=2 norewinds=1" \
        -L "module-native-protocol-unix socket=$XDG_RUNTIME_DIR/native auth-anonymous=1" \
        --log-target="file:$WORK_DIR/server.log" --log-level=notice &
    local server=$!
    started "$server"
    SHOW_ON_FAILURE+=("sound server log:$WORK_DIR/server.log")
    sound_server_ready() {
        kill -0 "$server" 2>/dev/null || return 2
        pactl info >/dev/null 2>&1
    }
    poll 10 sound_server_ready || die "the private sound server did not start"
    [ "$(pactl get-default-sink)" = "$SOUND_SINK" ] ||
        die "the null sink is not the default output: $(pactl get-default-sink)"
}
