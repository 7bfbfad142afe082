#!/usr/bin/env bash
# Installs what is needed, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
exec ./build/src/quillmere "$@"
