#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (GUI tests offscreen).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" --tests
"$root/scripts/build.sh"
build=${BUILD_DIR:-$root/build}
export QT_QPA_PLATFORM=offscreen
cd "$build" && ctest --output-on-failure -j "$(nproc)" --timeout 300
