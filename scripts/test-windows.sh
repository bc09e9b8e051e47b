#!/usr/bin/env bash
# Cross-compiles the core and its tests for Windows and runs them under Wine,
# in a Wine prefix that is complete before the first test starts.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/wine-prefix.sh
ensure_packages cmake ninja-build "${WINDOWS_PACKAGES[@]}"
ensure_locales ru_RU.UTF-8 ja_JP.UTF-8
cmake --preset windows
cmake --build --preset windows -j2
# The test preset runs the tests in this prefix.
ensure_wine_prefix "$PWD/build/windows/wineprefix"
ctest --preset windows
