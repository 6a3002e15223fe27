#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build/fuzz, replays each target's corpus, then fuzzes each for the given seconds. Fails on any finding;
# the input that found it is left in build/fuzz/findings/<target>/.
#   fuzz/run-fuzzers.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SECONDS_PER_TARGET=${1:-30}
BUILD=${VANTREL_FUZZ_BUILD_DIR:-$ROOT/build/fuzz}
JOBS=${VANTREL_JOBS:-2}
TARGETS=(ev48400c_messages_fuzzer fj_packet_fuzzer tercel_frame_fuzzer hex_cipher_fuzzer ini_fuzzer
         data_file_fuzzer param_edit_fuzzer)

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ is missing" >&2
    exit 1
fi
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON \
    -DVANTREL_TESTS=OFF -DVANTREL_WERROR=ON >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target vantrel_fuzzers

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=0
for target in "${TARGETS[@]}"; do
    exe=$BUILD/fuzz/$target
    corpus=$ROOT/fuzz/corpus/$target
    # New inputs go to a scratch corpus, so a run leaves the checked-in one as it is.
    work=$BUILD/corpus/$target
    findings=$BUILD/findings/$target
    mkdir -p "$work" "$findings"
    log=$BUILD/$target.log
    # Fuzzing starts from the replayed corpus: a finding there already fails the run.
    if "$exe" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$work" "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
        echo "fuzz: $target: ${runs:-?} executions in ${SECONDS_PER_TARGET} s, no finding"
    else
        echo "fuzz: $target: FINDING (input in $findings/)" >&2
        grep -E "ERROR|property violated|runtime error|SUMMARY" "$log" | head -5 >&2 || true
        failed=1
    fi
done
exit $failed
