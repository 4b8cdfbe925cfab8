#!/usr/bin/env bash
# Configures and builds the project into build/ (or $BUILD_DIR).
# Arguments name the targets to build; none builds everything.
# $CMAKE_EXTRA_ARGS go to the configuration (e.g. -DORLIX_SANITIZE=ON).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Debug} ${CMAKE_EXTRA_ARGS:-} >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$build" -j "$(nproc)" --target "$@"
else
    cmake --build "$build" -j "$(nproc)"
fi
