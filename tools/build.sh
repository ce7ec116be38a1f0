#!/usr/bin/env bash
# Configures and builds into the given folder: build.sh FOLDER BUILD_TYPE [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build}
type=${2:-Release}
shift 2 || true
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
cmake --build "$folder" --parallel "$(nproc)"
