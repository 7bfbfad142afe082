#!/usr/bin/env bash
# Builds in release mode and runs every benchmark, printing their reports.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build-bench -DCMAKE_BUILD_TYPE=Release
cmake --build build-bench --target oracle_large_catalogue mssql_large_catalogue designer_large_catalogue
export QT_QPA_PLATFORM=offscreen
for bench in build-bench/bench/bench_*; do
    [[ -f "$bench" && -x "$bench" ]] || continue
    echo "== $(basename "$bench")"
    "$bench"
done
