#!/usr/bin/env bash
# Renders the windows offscreen and saves their pictures into docs/: the
# window tests save a picture of each window when ORMEL_PICTURES_DIR is set.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
mkdir -p docs
cmake --preset dev >/dev/null
cmake --build --preset dev
ORMEL_PICTURES_DIR="$PWD/docs" ctest --preset dev -R '^ui_'
ls -l docs/*.png
