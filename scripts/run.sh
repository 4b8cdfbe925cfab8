#!/usr/bin/env bash
# Installs what is missing, builds, starts a simulated panel on the virtual
# port ORL-SIM1 and opens the tool; the panel stops when the tool ends.
# ORLIX_NO_SIM=1 opens the tool alone (for a real RS-485 adapter).
# Further arguments go to orlix-panel-sim, e.g. --family 09 --firmware 1.6.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
"$root/scripts/deps.sh"
BUILD_TYPE=${BUILD_TYPE:-Release} BUILD_DIR="$build" "$root/scripts/build.sh" orlix-config orlix-panel-sim

sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT INT TERM

if [ "${ORLIX_NO_SIM:-0}" != "1" ]; then
    log=${TMPDIR:-/tmp}/orlix-panel-sim-$(id -u).log
    "$build/sim/orlix-panel-sim" "$@" >"$log" 2>&1 &
    sim_pid=$!
    # Wait until the panel has registered its port (it says so first).
    for _ in $(seq 50); do
        grep -q "^Registered" "$log" 2>/dev/null && break
        kill -0 "$sim_pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
        sleep 0.1
    done
    echo "Simulated panel running (log: $log)"
fi

"$build/src/orlix-config"
