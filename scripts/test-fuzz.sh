#!/usr/bin/env bash
# Builds the fuzz targets of the package builder and the sprite reader (clang,
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) and runs them
# side by side, each for FUZZ_SECONDS (60) from the seeds in
# tests/fuzz/corpus/; each one's output follows when all have ended. A crash, a
# sanitizer report, a leak or an allocation over the limit fails the run; the
# input that caused it is left in build/fuzz/artifacts/ to become a
# regression case in pray_tests or sprite_tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${FUZZ_PACKAGES[@]}"
cmake --preset fuzz
cmake --build --preset fuzz -j2

seconds=${FUZZ_SECONDS:-60}
mkdir -p build/fuzz/artifacts build/fuzz/logs
names=()
pids=()
for target in pray/pray_source pray/pray_package sprite/sprite; do
    name=${target#*/}
    fuzzer=build/fuzz/tests/fuzz/${target}_fuzzer
    corpus=build/fuzz/corpus/$name
    mkdir -p "$corpus"
    # New inputs go into the first folder; the committed seeds stay as they are.
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
        -artifact_prefix=build/fuzz/artifacts/"$name"- -print_final_stats=1 \
        "$corpus" tests/fuzz/corpus/"$name" >build/fuzz/logs/"$name" 2>&1 &
    names+=("$name")
    pids+=($!)
done
failed=0
for i in "${!names[@]}"; do
    status=0
    wait "${pids[$i]}" || status=$?
    echo "=== ${names[$i]}: $seconds s, status $status ==="
    cat build/fuzz/logs/"${names[$i]}"
    [ "$status" -eq 0 ] || failed=1
done
[ "$failed" -eq 0 ]
echo "Fuzzers ran clean."
