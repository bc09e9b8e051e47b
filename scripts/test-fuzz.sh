#!/usr/bin/env bash
# Builds the fuzz targets of the package builder and the sprite reader (clang,
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) and runs each
# for FUZZ_SECONDS (40) from the seeds in tests/fuzz/corpus/. A crash, a
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

seconds=${FUZZ_SECONDS:-40}
mkdir -p build/fuzz/artifacts
for target in pray/pray_source pray/pray_package sprite/sprite; do
    name=${target#*/}
    fuzzer=build/fuzz/tests/fuzz/${target}_fuzzer
    corpus=build/fuzz/corpus/$name
    mkdir -p "$corpus"
    echo "=== $name: $seconds s ==="
    # New inputs go into the first folder; the committed seeds stay as they are.
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 \
        -artifact_prefix=build/fuzz/artifacts/"$name"- -print_final_stats=1 \
        "$corpus" tests/fuzz/corpus/"$name"
done
echo "Fuzzers ran clean."
