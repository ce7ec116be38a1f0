#!/usr/bin/env bash
# The fuzz target's run: a fixed seed (1 unless given), the checked-in seed corpus and its
# dictionary, and a time limit (30 s unless given). New inputs go into a scratch folder inside
# WORK-DIR; the checked-in seeds are only read. A crash leaves its input in WORK-DIR/artifacts.
# Usage: run_fuzz.sh FUZZER FUZZ-SOURCE-DIR WORK-DIR [SECONDS [SEED]]
set -euo pipefail

fuzzer=${1:?usage: run_fuzz.sh FUZZER FUZZ-SOURCE-DIR WORK-DIR [SECONDS [SEED]]}
source_dir=${2:?}
work=${3:?}
seconds=${4:-30}
seed=${5:-1}

[ -x "$fuzzer" ] || { echo "FAIL - no fuzz target at $fuzzer"; exit 1; }
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"

status=0
"$fuzzer" -seed="$seed" -max_total_time="$seconds" -max_len=64 -timeout=10 -print_final_stats=1 \
    -dict="$source_dir/typed_text.dict" -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "$source_dir/corpus" >"$work/fuzz.log" 2>&1 || status=$?

seeds=$(find "$source_dir/corpus" -type f | wc -l)
found=$(find "$work/corpus" -type f | wc -l)
crashes=$(find "$work/artifacts" -type f | wc -l)
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -n 1)
echo "fuzz_typed_text: seed ${seed}, ${seconds} s, ${seeds} seed inputs, ${runs:-?} executions," \
    "${found} new corpus inputs, ${crashes} crashing inputs, exit status ${status}"
if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ] || [ -z "$runs" ]; then
    echo "--- fuzzer log (last 60 lines):"
    tail -n 60 "$work/fuzz.log"
    for artifact in "$work"/artifacts/*; do
        [ -f "$artifact" ] || continue
        echo "--- crashing input $artifact:"
        od -c "$artifact" | head -n 8
    done
    exit 1
fi
grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|Done [0-9]+ runs)' "$work/fuzz.log" || true
