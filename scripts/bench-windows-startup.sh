#!/usr/bin/env bash
# Start-up of ormel.exe under Wine, from the process's creation to its window
# shown, against a bare static Qt window built the same way, in the same run:
#   bash scripts/bench-windows-startup.sh [runs]   (default 10)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
cd "$(dirname "$0")/.."
source scripts/wine-session.sh
ORMEL_QT_WINDOWS=$(bash scripts/qt-windows.sh)
export ORMEL_QT_WINDOWS
cmake --preset windows-gui >/dev/null
cmake --build --preset windows-gui --target ormel bare_window startup_wine_bench
start_wine_session "$PWD/build/windows-gui/wineprefix"
build=build/windows-gui
wine "$build/bench/startup_wine_bench.exe" "${1:-10}" "$build/src/ormel.exe" \
    "$build/bench/bare_window.exe"
