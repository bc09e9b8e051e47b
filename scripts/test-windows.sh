#!/usr/bin/env bash
# Cross-compiles the core and its tests for Windows and runs them under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages cmake ninja-build "${WINDOWS_PACKAGES[@]}"
cmake --workflow --preset windows
