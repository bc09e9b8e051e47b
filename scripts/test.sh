#!/usr/bin/env bash
# Builds the program with its tests and runs every test (offscreen).
#
# The model fuzzer plays a short campaign here, 60 sequences (some 10 s), so
# that no test sits silent for long; CI's .ci/run sets
# ORMEL_MODEL_FUZZ_SEQUENCES=300 for the full one, and so can anyone.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
sequences=${ORMEL_MODEL_FUZZ_SEQUENCES:-60}
echo "The model fuzzer plays $sequences sequences (ORMEL_MODEL_FUZZ_SEQUENCES; CI plays 300)."
cmake --preset dev -DORMEL_MODEL_FUZZ_SEQUENCES="$sequences"
cmake --build --preset dev
ctest --preset dev
