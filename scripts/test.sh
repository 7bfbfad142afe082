#!/usr/bin/env bash
# Installs what is needed, builds and runs every test headless, then builds and
# runs them again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

bash scripts/build.sh build -DQUILLMERE_SANITIZE=OFF
(cd build && ctest --output-on-failure -j2)

bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLMERE_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j2)
