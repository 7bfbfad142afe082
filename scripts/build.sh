#!/usr/bin/env bash
# Configures and builds into build/ (or the directory given), in release mode
# unless a build type is given:
#   scripts/build.sh [dir] [cmake options...] [--target name...]
# Without --target everything is built: program, tools, tests and benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
options=()
targets=()
while (($# > 0)); do
    if [[ "$1" == --target ]]; then
        shift
        while (($# > 0)) && [[ "$1" != -* ]]; do
            targets+=("$1")
            shift
        done
    else
        options+=("$1")
        shift
    fi
done
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
if ((${#targets[@]} > 0)); then
    cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
else
    cmake --build "$dir" -j"$(nproc)"
fi
