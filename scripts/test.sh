#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (GUI tests offscreen).
#   scripts/test.sh              the normal build in build/
#   scripts/test.sh --sanitize   AddressSanitizer, UndefinedBehaviorSanitizer and
#                                LeakSanitizer on the whole suite, in build-asan/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" --tests
if [ "${1:-}" = "--sanitize" ]; then
    export BUILD_DIR=${BUILD_DIR:-$root/build-asan}
    export CMAKE_EXTRA_ARGS="-DORLIX_SANITIZE=ON ${CMAKE_EXTRA_ARGS:-}"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
fi
"$root/scripts/build.sh"
build=${BUILD_DIR:-$root/build}
export QT_QPA_PLATFORM=offscreen
cd "$build" && ctest --output-on-failure -j "$(nproc)" --timeout 600
