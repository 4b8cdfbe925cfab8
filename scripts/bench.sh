#!/usr/bin/env bash
# Measures, in one run on this machine (Release build in build-release/):
#  (a) start-up: how long until the main window is mapped, against an empty
#      Qt main window of the same size (paired runs under Xvfb, from outside);
#  (b) the span of a full read and a full write on a simulated line paced at
#      9600 baud with a 5 ms turnaround, beside the floor that the line and
#      the protocol's pauses set;
#  (c) loading a configuration file and refreshing every page;
#  (d) a scan of addresses 1 to 247 at 9600 baud that finds a panel answering
#      20 ms after each request;
#  (e) the report of a rich configuration file, from reading it to the HTML.
#  (f) site write: two simulated lines of four panels each against one line
#      alone (the lines run at once), and the peak memory of a site of 4
#      panels against one of 16;
#  (g) the window's read on a line paced at 9600 baud with the traffic
#      journal's window closed and open.
#   scripts/bench.sh [RUNS]     default 9 paired start-ups
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-9}
build=${BUILD_DIR:-$root/build-release}
"$root/scripts/deps.sh"
"$root/scripts/deps.sh" xvfb x11-utils libx11-dev
BUILD_TYPE=Release BUILD_DIR="$build" "$root/scripts/build.sh" orlix-config orlix-cli \
    orlix-panel-sim orlix-empty-window orlix-load-bench orlix-map-timer orlix-report-bench \
    orlix-line-bench orlix-journal-bench >/dev/null

work=$(mktemp -d)
sim_pid=""
xvfb_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    for p in ${site_pids:-}; do kill "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# (a) Start-up, paired runs on a private X server. The server takes the first
# free display itself (other servers, and other runs of this script, keep
# theirs) and writes its number once it listens; then it must answer a client.
start_xvfb() {
    local number="" deadline=$((SECONDS + 30))
    : >"$work/xvfb-display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$work/xvfb-display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    while [ "$SECONDS" -le "$deadline" ]; do
        # The number counts once its line is complete.
        [ -n "$number" ] || read -r number <"$work/xvfb-display" || number=""
        if [ -n "$number" ] && timeout 5 xdpyinfo -display ":$number" >/dev/null 2>&1; then
            export DISPLAY=:$number
            return 0
        fi
        if ! kill -0 "$xvfb_pid" 2>/dev/null; then
            echo "bench: Xvfb ended before it answered:" >&2
            cat "$work/xvfb.log" >&2
            return 1
        fi
        sleep 0.1
    done
    echo "bench: Xvfb ${number:+on :$number }did not answer within 30 s" >&2
    return 1
}
start_xvfb
export ORLIX_PORTS_DIR=$work/ports
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
: >"$work/tool" && : >"$work/empty"
for _ in $(seq "$runs"); do
    "$build/bench/orlix-map-timer" "Orlix Configuration tool" "$build/src/orlix-config" >>"$work/tool"
    "$build/bench/orlix-map-timer" "Empty window" "$build/bench/orlix-empty-window" >>"$work/empty"
done
tool=$(median <"$work/tool")
empty=$(median <"$work/empty")
ratio=$(awk -v a="$tool" -v b="$empty" 'BEGIN {printf "%.2f", a / b}')
echo "start-up:  main window mapped after ${tool} ms, empty window after ${empty} ms:" \
     "ratio ${ratio} (limit 1.50; medians of ${runs} paired runs)"

# (b) Read and write on a simulated line paced at 9600 baud with a 5 ms
# turnaround, first request to last answer as the panel times them, against
# the floor the line and the protocol's pauses set (limit 1.02 x floor +
# 10 ms); (d) a scan of 1-247 that must find a panel answering 20 ms after
# each request (limit 9 s).
"$build/bench/orlix-line-bench" "$build/src/orlix-cli" || true

# The read configuration for the parts below.
"$build/sim/orlix-panel-sim" --port-name BENCH-SIM >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do grep -q "^Registered" "$work/sim.log" && break; sleep 0.1; done
"$build/src/orlix-cli" read --port BENCH-SIM -o "$work/read.cfg" >/dev/null

# (c) Loading a file and refreshing every page.
load=$(QT_QPA_PLATFORM=offscreen "$build/bench/orlix-load-bench" "$work/read.cfg" \
       "$root/fuzz/corpus/config_file/v170.cfg" 25)
echo "load:      a file loaded and every page refreshed in ${load} ms (two files in turn, median of 25)"

# (g) The window's read with the traffic journal closed and open (limit: 1 ms apart).
read -r closed opened diff < <(QT_QPA_PLATFORM=offscreen "$build/bench/orlix-journal-bench" 15)
echo "journal:   the window's read in ${closed} ms with the journal closed, ${opened} ms open:" \
     "${diff} ms (medians of 15; limit 1 ms: $(awk -v d="$diff" \
     'BEGIN {print (d <= 1 && d >= -1 ? "within" : "OVER")}'))"

# (e) The report of a rich file (every kind of value filled in).
read -r report bytes < <("$build/bench/orlix-report-bench" "$work" 25)
echo "report:    a rich file's HTML report (${bytes} bytes) made in ${report} ms (median of 25;" \
     "limit 200 ms: $(awk -v r="$report" 'BEGIN {print (r < 200 ? "within" : "OVER")}'))"

# (f) A site: two lines of the same length at once against one line alone.
site_pids=""
for line in 1 2; do
    "$build/sim/orlix-panel-sim" --port-name "BENCH-LINE$line" --address 1-16 \
        >"$work/line$line.log" 2>&1 &
    site_pids="$site_pids $!"
    for _ in $(seq 50); do grep -q "^Registered" "$work/line$line.log" && break; sleep 0.1; done
done
site() {  # lines panels -> a site file
    local f=$work/site-$1-$2.json
    {
        printf '{"lines": ['
        for line in $(seq "$1"); do
            [ "$line" -gt 1 ] && printf ','
            printf '{"port": "BENCH-LINE%d", "panels": [' "$line"
            for a in $(seq "$2"); do
                [ "$a" -gt 1 ] && printf ','
                printf '{"address": %d, "file": "p%d-%d.cfg"}' "$a" "$line" "$a"
                cp "$work/read.cfg" "$work/p$line-$a.cfg"
            done
            printf ']}'
        done
        printf ']}\n'
    } >"$f"
    echo "$f"
}
ms() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s%N)
       echo $(((t1 - t0) / 1000000)); }
one=$(ms "$build/src/orlix-cli" site "$(site 1 4)" write)
two=$(ms "$build/src/orlix-cli" site "$(site 2 4)" write)
echo "site:      two lines of 4 panels in ${two} ms, one line alone in ${one} ms: ratio" \
     "$(awk -v a="$two" -v b="$one" 'BEGIN {printf "%.2f", a / b}') (limit 1.15:" \
     "$(awk -v a="$two" -v b="$one" 'BEGIN {print (a <= 1.15 * b ? "within" : "OVER")}'))"
if [ -x /usr/bin/time ]; then
    rss() { /usr/bin/time -f %M "$build/src/orlix-cli" site "$1" scan 2>&1 >/dev/null | tail -1; }
    echo "site:      peak memory $(rss "$(site 1 4)") KiB for 4 panels," \
         "$(rss "$(site 1 16)") KiB for 16 panels"
fi
