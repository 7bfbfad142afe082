#!/usr/bin/env bash
# Installs what is needed, builds and runs every test headless, once with only
# the fonts of a minimal machine and once with a wider set of fonts, then
# builds and runs them again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

bash scripts/build.sh build -DQUILLMERE_SANITIZE=OFF

# Windows, captions and the fixed-pitch font must not depend on the fonts a
# machine happens to have.
fontsets=$(bash scripts/fontsets.sh build/fontsets)
eval "$fontsets"
echo "== tests with the minimal font set"
(cd build && FONTCONFIG_FILE=$FONTS_MINIMAL ctest --output-on-failure -j2)
echo "== tests with the wide font set"
(cd build && FONTCONFIG_FILE=$FONTS_WIDE ctest --output-on-failure -j2)

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLMERE_SANITIZE=ON
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j2)
