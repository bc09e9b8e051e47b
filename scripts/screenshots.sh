#!/usr/bin/env bash
# Draws the main window, the progress window and the compile dialog into
# docs/frmAW.png, docs/frmLoad.png and docs/frmCompileIt.png, offscreen, with
# the default style and fonts.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target ormel_screenshots
QT_QPA_PLATFORM=offscreen ./build/dev/tools/ormel_screenshots docs
