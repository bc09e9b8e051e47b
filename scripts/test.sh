#!/usr/bin/env bash
# Builds the program with its tests and runs every test (offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake --workflow --preset dev
