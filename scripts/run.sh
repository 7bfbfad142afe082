#!/usr/bin/env bash
# Installs what is needed, builds the program and the demo catalogues it
# offers, and starts it on the Oracle demo catalogue, ready to search (with
# arguments, on those instead: "--" alone starts it empty). Tests and
# benchmarks are built by test.sh and bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build --target quillmere demo_catalogues
if [[ $# -eq 0 ]]; then
    exec ./build/src/quillmere build/data/oracle-demo.qmcat
fi
[[ "$1" == "--" ]] && shift
exec ./build/src/quillmere "$@"
