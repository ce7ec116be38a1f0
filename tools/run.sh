#!/usr/bin/env bash
# Installs what is missing, builds the clock and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
bash tools/build.sh build Release
exec build/ostrevane
