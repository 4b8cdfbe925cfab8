#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each one.
#   scripts/fuzz.sh [SECONDS]     default 10 seconds a target
# New inputs that add coverage go to build-fuzz/corpus/; the seeds in
# fuzz/corpus/ are never changed. A crash leaves its input in build-fuzz/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
"$root/scripts/deps.sh"
"$root/scripts/deps.sh" clang libclang-rt-14-dev
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++ -DORLIX_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_config_file fuzz_answers fuzz_text fuzz_line fuzz_mbap
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in config_file answers text line mbap; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    echo "== fuzz_$target, $seconds s"
    log=$build/fuzz_$target.log
    if (cd "$build" && "./fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
            -max_len=4096 "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1); then
        grep -E "^stat::(number_of_executed_units|average_exec_per_sec)" "$log" || true
    else
        grep -E "^(==|SUMMARY|ERROR|    #[0-9])" "$log" | head -30
        echo "fuzz_$target FAILED (log: $log)"
        status=1
    fi
done
exit $status
