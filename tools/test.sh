#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice over:
#   build-tests  the plain build: every test, and the fuzz target's 30-second run (clang);
#   build-asan   everything again under AddressSanitizer and UndefinedBehaviorSanitizer, where
#                the first report (a leak, a use after free, an overflow) fails its test; built
#                as the run command builds, one unit per library (a unity build).
# Both runs print CTest's summary; the script fails when either fails. OSTREVANE_BUILDS=plain
# runs the plain build alone (CI does so on its second Debian release, to keep within its time).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

bash tools/setup.sh test

echo "==== plain build (build-tests) ===="
bash tools/build.sh build-tests RelWithDebInfo
# The fuzz test exists only where clang's libFuzzer was found; setup.sh installs it, so a
# missing test means a broken set-up, not a reason to skip fuzzing.
if ! ctest --test-dir build-tests -N -R '^fuzz_typed_text$' | grep -q 'Total Tests: 1'; then
    echo "tools/test.sh: the fuzz test fuzz_typed_text is not registered (clang++ with" \
        "libFuzzer missing? see the CMake output in build-tests)" >&2
    exit 1
fi
plain=0
ctest --test-dir build-tests --output-on-failure --timeout 600 || plain=$?

sanitized=0
sanitizer_summary="sanitizer build not run"
if [ "${OSTREVANE_BUILDS:-plain sanitizer}" != plain ]; then
    echo "==== sanitizer build (build-asan) ===="
    bash tools/build.sh build-asan RelWithDebInfo -DOSTREVANE_SANITIZE=ON -DCMAKE_UNITY_BUILD=ON
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
        ctest --test-dir build-asan --output-on-failure --timeout 600 || sanitized=$?
    sanitizer_summary="sanitizer build $([ "$sanitized" -eq 0 ] && echo passed || echo FAILED)"
fi

elapsed=$((SECONDS - started))
echo "==== tools/test.sh ($(. /etc/os-release && echo "$PRETTY_NAME")):" \
    "plain build $([ "$plain" -eq 0 ] && echo passed || echo FAILED), $sanitizer_summary," \
    "$((elapsed / 60)) min $((elapsed % 60)) s in all ===="
[ "$plain" -eq 0 ] && [ "$sanitized" -eq 0 ]
