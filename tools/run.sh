#!/usr/bin/env bash
# Installs what building and running need (nothing for the tests), builds the program alone and
# starts it. Each library of the program is compiled as one unit (a unity build), which halves
# the build; the sanitizer build of the test command is built the same way, so that it stays
# possible.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh run
bash tools/build.sh build Release -DBUILD_TESTING=OFF -DOSTREVANE_FUZZ=OFF -DCMAKE_UNITY_BUILD=ON \
    -- --target ostrevane
exec build/ostrevane
