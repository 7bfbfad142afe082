#!/usr/bin/env bash
# Installs what is needed, builds the program and the demo catalogues it
# offers, and starts it. Tests and benchmarks are built by test.sh and bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build --target quillmere demo_catalogues
exec ./build/src/quillmere "$@"
