#!/usr/bin/env bash
# Builds the clock and its benchmarks (Release, in their own build folder), measures
# timekeeping and footprint, and prints one table: each figure beside its goal and its baseline.
#
#   bash bench/run.sh [--ticks N] [--pushes N] [--runs N] [--cost-seconds S] [--seed S]
#                     [--phases idle,busy,window] [--build-dir DIR]
#
# Phases, one after the other, because each would disturb the next:
#   idle    tick regularity with the machine otherwise idle (N ticks, N seconds), and at the same
#           time, in a second process, restart accuracy (P pushes, about 1.8 s each). Both
#           processes sleep all but a fraction of a millisecond per second and there is a free
#           core for each, so they sample the same quiet conditions without disturbing each
#           other. In each, the clock's own timer, its coarse baseline and a control (a bare
#           precise timer, which shows what the machine allows at the time) run concurrently.
#   busy    tick regularity again with spinning processes on all cores but one (N seconds).
#           It cannot share its time with the idle phase: its load is the point.
#   window  in private Xvfb servers: start-up and peak memory, the clock against a bare
#           window, interleaved; then the running cost of the clock and of its baseline, at
#           the same time, each in its own server.
# With the defaults (600 ticks, 200 pushes, 20 start-ups, 60 s) the run takes about 24 minutes;
# `--ticks 60 --pushes 20 --runs 3 --cost-seconds 10` takes about 3.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)

ticks=600
pushes=200
runs=30
cost_seconds=60
seed=1
phases=idle,busy,window
build_dir="$source_dir/build-bench"
while [ $# -gt 0 ]; do
    case "$1" in
    --ticks) ticks=$2; shift 2 ;;
    --pushes) pushes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --cost-seconds) cost_seconds=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --phases) phases=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    *) sed -n '2,6p' "$0" >&2; exit 2 ;;
    esac
done
phase() { [[ ",$phases," == *",$1,"* ]]; }

# ---- What it needs ----------------------------------------------------------------------------
bash tools/setup.sh test
# The window watcher speaks to the X server through libxcb (its headers usually come with Qt's).
if ! dpkg-query -W -f='${Status}' libxcb1-dev 2>/dev/null | grep -q 'install ok installed'; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends libxcb1-dev
fi

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOSTREVANE_BUILD_BENCH=ON \
    >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)" \
    --target ostrevane bench_timing bench_floor bench_window >/dev/null
ours="$build_dir/ostrevane"
timing="$build_dir/bench/bench_timing"
floor="$build_dir/bench/bench_floor"
watcher="$build_dir/bench/bench_window"

work=$(mktemp -d "${TMPDIR:-/tmp}/ostrevane-bench.XXXXXX")
results="$work/results.txt"
: >"$results"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
started=()
cleanup() {
    local pid
    for pid in "${started[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

note() { printf '%s\n' "$*" >&2; }
loadavg() { cut -d' ' -f1-3 /proc/loadavg; }

# ---- The machine ------------------------------------------------------------------------------
cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
qt_version=$(qtpaths6 --qt-version 2>/dev/null || qmake6 -query QT_VERSION 2>/dev/null || echo '?')
{
    echo "machine_cores $(nproc)"
    echo "machine_cpu $cpu_model"
    echo "machine_qt $qt_version"
    echo "machine_kernel $(uname -r)"
} >>"$results"

# ---- Timing -----------------------------------------------------------------------------------
if phase idle; then
    note "idle phase: $ticks ticks and $pushes pushes (about $(( ticks > pushes * 7 / 4 ? ticks : pushes * 7 / 4 )) s)"
    echo "load_idle_before $(loadavg)" >>"$results"
    QT_QPA_PLATFORM=offscreen "$timing" ticks --ticks "$ticks" >"$work/idle.txt" 2>"$work/idle.log" &
    idle_pid=$!
    QT_QPA_PLATFORM=offscreen "$timing" restarts --pushes "$pushes" --seed "$seed" \
        >"$work/restarts.txt" 2>"$work/restarts.log" &
    restarts_pid=$!
    started+=("$idle_pid" "$restarts_pid")
    wait "$idle_pid"
    wait "$restarts_pid"
    sed 's/^ticks_/idle_/' "$work/idle.txt" >>"$results"
    cat "$work/restarts.txt" >>"$results"
    echo "load_idle_after $(loadavg)" >>"$results"
fi

if phase busy; then
    note "busy phase: $ticks ticks with $(( $(nproc) - 1 )) spinning core(s) (about $ticks s)"
    echo "load_busy_before $(loadavg)" >>"$results"
    QT_QPA_PLATFORM=offscreen "$timing" ticks --ticks "$ticks" --busy \
        >"$work/busy.txt" 2>"$work/busy.log"
    sed 's/^ticks_/busy_/' "$work/busy.txt" >>"$results"
    echo "load_busy_after $(loadavg)" >>"$results"
fi

# ---- Windows ----------------------------------------------------------------------------------
# Starts a private Xvfb on a display number it picks itself; prints "<display> <pid>".
start_xvfb() {
    local fifo="$work/displayfd.$RANDOM"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    local pid=$!
    local display
    read -r -t 20 display <"$fifo" || { note "Xvfb did not start"; exit 1; }
    rm -f "$fifo"
    echo ":$display $pid"
}

if phase window; then
    read -r display1 xvfb1 < <(start_xvfb)
    read -r display2 xvfb2 < <(start_xvfb)
    [ -n "${xvfb1:-}" ] && [ -n "${xvfb2:-}" ] || { note "no X server"; exit 1; }
    started+=("$xvfb1" "$xvfb2")
    note "window phase: $runs start-ups each, then $cost_seconds s of running cost"
    DISPLAY=$display1 "$watcher" startup --runs "$runs" "$ours" "$floor" \
        >>"$results" 2>"$work/startup.log"
    # The left arrow button (its centre, in the client area) starts the right player's clock.
    DISPLAY=$display1 "$watcher" cost --seconds "$cost_seconds" --click 176,120 \
        --client-height 283 --server-pid "$xvfb1" "$ours" >"$work/cost.txt" 2>"$work/cost.log" &
    cost_pid=$!
    DISPLAY=$display2 "$watcher" cost --seconds "$cost_seconds" --server-pid "$xvfb2" \
        "$floor" --ticking >"$work/costfloor.txt" 2>"$work/costfloor.log" &
    costfloor_pid=$!
    started+=("$cost_pid" "$costfloor_pid")
    wait "$cost_pid"
    wait "$costfloor_pid"
    cat "$work/cost.txt" >>"$results"
    sed 's/^cost_/floorcost_/' "$work/costfloor.txt" >>"$results"
fi

# ---- The table --------------------------------------------------------------------------------
awk -v ticks="$ticks" -v pushes="$pushes" -v runs="$runs" -v secs="$cost_seconds" '
function has(k) { return (k in v) }
function f(k, i) { split(v[k], parts, " "); return parts[i] }
# lateness series: count min median p99 max last
function stats(k) { return sprintf("%.2f / %.2f / %.2f / %.2f", f(k,2), f(k,3), f(k,4), f(k,5)) }
function verdict(ok) { return ok ? "PASS" : "MISS" }
function abs(x) { return x < 0 ? -x : x }
function row(what, figure, goal, base, result) {
    printf "%-44s %-31s %-12s %-38s %s\n", what, figure, goal, base, result
}
{ key = $1; $1 = ""; v[key] = substr($0, 2) }
END {
    printf "Machine: %s, %s cores, Qt %s, Linux %s\n", v["machine_cpu"], v["machine_cores"],
        v["machine_qt"], v["machine_kernel"]
    printf "Run: %s ticks, %s pushes, %s start-ups each, %s s running cost\n\n", ticks, pushes, runs, secs
    row("Measurement (ms: late if +, early if -)", "Figure", "Goal", "Baseline", "Result")
    row("", "", "", "", "")
    if (has("idle_real")) {
        row("Ticks, idle: drift after " f("idle_real",1) " ticks",
            sprintf("%+.2f ms", f("idle_real",6)), "|d| <= 2 ms",
            sprintf("%+.2f ms coarse QTimer", f("idle_coarse",6)),
            verdict(abs(f("idle_real",6)) <= 2))
        row("Ticks, idle: lateness min/med/p99/max", stats("idle_real") " ms", "p99 <= 2 ms",
            stats("idle_coarse"), verdict(f("idle_real",4) <= 2))
        row("  control: bare PreciseTimer, same run", stats("idle_control") " ms", "", "", "info")
        printf "%-44s load average %s -> %s\n", "", v["load_idle_before"], v["load_idle_after"]
    }
    if (has("busy_real")) {
        row("Ticks, core busy: drift after " f("busy_real",1) " ticks",
            sprintf("%+.2f ms", f("busy_real",6)), "-",
            sprintf("%+.2f ms coarse QTimer", f("busy_coarse",6)), "info")
        row("Ticks, core busy: lateness min/med/p99/max", stats("busy_real") " ms", "p99 <= 5 ms",
            stats("busy_coarse"), verdict(f("busy_real",4) <= 5))
        row("  control: bare PreciseTimer, same run", stats("busy_control") " ms", "", "", "info")
        printf "%-44s load average %s -> %s\n", "", v["load_busy_before"], v["load_busy_after"]
    }
    if (has("restart_real")) {
        row("Restart: earliest first tick (" f("restart_real",1) " pushes)",
            sprintf("%+.2f ms", f("restart_real",2)), "never < 0",
            sprintf("%+.2f ms coarse QTimer", f("restart_coarse",2)),
            verdict(f("restart_real",2) >= 0))
        row("Restart: first tick min/med/p99/max", stats("restart_real") " ms", "p99 <= 2 ms",
            stats("restart_coarse"), verdict(f("restart_real",4) <= 2))
        row("  control: bare PreciseTimer, same run", stats("restart_control") " ms", "", "", "info")
    }
    if (has("startup_ms_ours")) {
        so = f("startup_ms_ours",3); sf = f("startup_ms_floor",3)
        row("Start-up to first frame, median of " f("startup_ms_ours",1),
            sprintf("%.1f ms = %.3f x floor", so, so / sf), "<= 1.15 x",
            sprintf("%.1f ms bare window", sf), verdict(so / sf <= 1.15))
        mo = f("peak_kib_ours",3); mf = f("peak_kib_floor",3)
        row("Peak resident memory, median of " f("peak_kib_ours",1),
            sprintf("%.1f MiB = %.3f x floor", mo / 1024, mo / mf), "<= 1.2 x",
            sprintf("%.1f MiB bare window", mf / 1024), verdict(mo / mf <= 1.2))
        co = f("startcpu_ms_ours",3); cf = f("startcpu_ms_floor",3)
        row("  processor time by that frame, median",
            sprintf("%.1f ms = %.3f x floor", co, co / cf), "",
            sprintf("%.1f ms bare window", cf), "info")
        row("  start-up ms min / max (ours; floor)",
            sprintf("%.1f / %.1f", f("startup_ms_ours",2), f("startup_ms_ours",5)), "",
            sprintf("%.1f / %.1f", f("startup_ms_floor",2), f("startup_ms_floor",5)), "")
    }
    if (has("cost_share_percent")) {
        share = f("cost_share_percent",2)
        row("Running cost, " secs " s, a clock running",
            sprintf("%.3f %% of a core", share), "<= 0.2 %",
            sprintf("%.3f %% one-label window", f("floorcost_share_percent",2)),
            verdict(share <= 0.2))
        row("  same from utime+stime (10 ms ticks)",
            sprintf("%.3f %% (%s ms)", f("cost_share_percent",1), f("cost_cpu_ms",1)), "",
            sprintf("%.3f %% (%s ms)", f("floorcost_share_percent",1), f("floorcost_cpu_ms",1)), "")
        split(v["cost_drawn"], d, " "); split(v["floorcost_drawn"], e, " ")
        row("  repaints; px per repaint (window px)",
            sprintf("%d; %d (%d)", d[1], d[1] ? d[2] / d[1] : 0, d[7] * d[8]), "",
            sprintf("%d; %d (%d)", e[1], e[1] ? e[2] / e[1] : 0, e[7] * e[8]), "")
        if (d[1] < secs / 2)
            print "  WARNING: the clock window did not repaint once a second: did the click start it?"
        row("  wake-ups per second, all threads", v["cost_wakeups_per_s"], "",
            v["floorcost_wakeups_per_s"], "")
        row("  X server time over the same period", v["cost_server_cpu_ms"] " ms", "",
            v["floorcost_server_cpu_ms"] " ms", "")
    }
}' "$results" | tee "$work/table.txt"
note ""
note "raw figures: $results"
