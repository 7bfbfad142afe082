#!/usr/bin/env bash
# Installs what is needed, builds and runs every test headless, once with only
# the fonts of a minimal machine and once with a wider set of fonts, then
# builds and runs them again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the concurrency tests under ThreadSanitizer.
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

# The trace lines, the background searches and the logins cross threads: their tests run
# once more under ThreadSanitizer, in a build of their own that holds only
# what they need.
echo "== concurrency tests under ThreadSanitizer"
tsan_tests=(text/tracepending db/connectiontrace db/odbccancel db/connectmssqldialog search/searchrunner
    search/searchstop search/backgroundsearch)
bash scripts/build.sh build-tsan "-DCMAKE_CXX_FLAGS=-fsanitize=thread" "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread" \
    --target $(printf 'tst_%s ' "${tsan_tests[@]//\//_}")
# Qt itself is not built with the sanitizer: its own memory accesses are not
# checked (they would be reported as races through locks the sanitizer cannot
# see), ours are.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1
(cd build-tsan && ctest --output-on-failure -R "^($(IFS='|'; echo "${tsan_tests[*]}"))\$")
