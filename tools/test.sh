#!/usr/bin/env bash
# Installs what is missing, builds the clock with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
bash tools/build.sh build-tests RelWithDebInfo
ctest --test-dir build-tests --output-on-failure --timeout 600
