#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build/fuzz, replays each target's corpus, then fuzzes each for the given seconds, one target a core.
# Fails on any finding; the input that found it is left in build/fuzz/fuzz-findings/<target>/.
#   fuzz/run-fuzzers.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SECONDS_PER_TARGET=${1:-30}
BUILD=${VANTREL_FUZZ_BUILD_DIR:-$ROOT/build/fuzz}
JOBS=${VANTREL_JOBS:-2}
TARGETS=(ev48400c_messages_fuzzer fj_packet_fuzzer tercel_frame_fuzzer hex_cipher_fuzzer ini_fuzzer
         data_file_fuzzer param_edit_fuzzer)

command -v clang++ >/dev/null 2>&1 || { echo "fuzz: clang++ is missing" >&2; exit 1; }
# ./run test hands over its own clang build, where the targets are already built (VANTREL_FUZZ_BUILT=1).
if [[ ${VANTREL_FUZZ_BUILT:-0} != 1 ]]; then
    CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON \
        -DVANTREL_TESTS=OFF -DVANTREL_WERROR=ON >/dev/null
fi
cmake --build "$BUILD" -j "$JOBS" --target vantrel_fuzzers

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

fuzz_one() {  # fuzz_one <target>: prints one line, fails on a finding
    # New inputs go to a scratch corpus, so a run leaves the checked-in one as it is; fuzzing starts from
    # the replayed corpus, where a finding already fails the run.
    local target=$1 work=$BUILD/fuzz-corpus/$1 findings=$BUILD/fuzz-findings/$1 log=$BUILD/fuzz-$1.log
    mkdir -p "$work" "$findings"
    if ! "$BUILD/fuzz/$target" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$work" "$ROOT/fuzz/corpus/$target" >"$log" 2>&1; then
        echo "fuzz: $target: FINDING (input in $findings/, log in $log)" >&2
        grep -E "ERROR|property violated|runtime error|SUMMARY" "$log" | head -5 >&2 || true
        return 1
    fi
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "fuzz: $target: ${runs:-?} executions in ${SECONDS_PER_TARGET} s, no finding"
}

failed=0
pids=()
for target in "${TARGETS[@]}"; do
    fuzz_one "$target" &
    pids+=($!)
    if [[ ${#pids[@]} -ge $JOBS ]]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
exit $failed
