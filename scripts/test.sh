#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (GUI tests offscreen).
#   scripts/test.sh              the normal build in build/
#   scripts/test.sh --sanitize   AddressSanitizer, UndefinedBehaviorSanitizer and
#                                LeakSanitizer on the whole suite, in build-asan/
#   scripts/test.sh [--sanitize] --no-gui
#                                only the tests of the model, the files, the link,
#                                the simulated panel, the text form, the report and
#                                orlix-cli (tests/core, link and cli, the fuzz
#                                replays, the checks of the rooms' layers and
#                                texts): no GUI test and no check of the
#                                installed tree, so less to build and run
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sanitize=0
no_gui=0
for arg in "$@"; do
    case $arg in
        --sanitize) sanitize=1 ;;
        --no-gui) no_gui=1 ;;
        *) echo "usage: scripts/test.sh [--sanitize] [--no-gui]" >&2; exit 2 ;;
    esac
done
"$root/scripts/deps.sh" --tests
# Line tables only (-g1): a failure's backtrace still names files and lines,
# while the objects are a tenth of the size, so the many test programs
# compile and link faster. For a debugger, configure the build directory
# again with -DCMAKE_CXX_FLAGS_DEBUG=-g (CMAKE_EXTRA_ARGS of scripts/build.sh).
export CMAKE_EXTRA_ARGS="-DCMAKE_CXX_FLAGS_DEBUG=-g1 ${CMAKE_EXTRA_ARGS:-}"
if [ "$sanitize" = 1 ]; then
    export BUILD_DIR=${BUILD_DIR:-$root/build-asan}
    export CMAKE_EXTRA_ARGS="-DORLIX_SANITIZE=ON ${CMAKE_EXTRA_ARGS:-}"
    # intercept_tls_get_addr=0: GCC 12's LeakSanitizer takes the size of a
    # library's dynamic TLS block from a header that older glibc put before
    # it, whenever the block starts 16 bytes into a page; with glibc 2.36 it
    # reads a heap chunk's bytes instead and scans a wild range ("Tracer
    # caught signal 11" at exit of the tests that load Qt's CUPS print support
    # and its TLS libraries). Without the interception the blocks are plain
    # heap chunks reached through the thread's DTV, and leaks are still found.
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:intercept_tls_get_addr=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
fi
build=${BUILD_DIR:-$root/build}
export QT_QPA_PLATFORM=offscreen
if [ "$no_gui" = 1 ]; then
    # One executable per tests/<area>/tst_*.cpp, one replay per fuzz target.
    tests=()
    for source in "$root"/tests/{core,link,cli}/tst_*.cpp "$root"/fuzz/fuzz_*.cpp; do
        name=$(basename "$source" .cpp)
        tests+=("${name/#fuzz_/replay_}")
    done
    "$root/scripts/build.sh" "${tests[@]}"
    # The source checks need no build: the rooms' layers and their texts.
    selected="^($(IFS='|'; echo "${tests[*]}")|layers|texts_once)\$"
    cd "$build" && ctest --output-on-failure -j "$(nproc)" --timeout 600 -R "$selected" \
        --no-tests=error
else
    "$root/scripts/build.sh"
    cd "$build" && ctest --output-on-failure -j "$(nproc)" --timeout 600
fi
