#!/usr/bin/env bash
# Configures and builds into build/ (or the directory given), in release mode
# unless a build type is given: scripts/build.sh [dir] [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
