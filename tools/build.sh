#!/usr/bin/env bash
# Configures and builds into the given folder:
#   build.sh FOLDER BUILD_TYPE [cmake configure args...] [-- cmake build args...]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build}
type=${2:-Release}
shift 2 || true
configure=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    configure+=("$1")
    shift
done
[ $# -gt 0 ] && shift
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${configure[@]}" >/dev/null
cmake --build "$folder" --parallel "$(nproc)" "$@"
