#!/usr/bin/env bash
# Draws the main window (also with an agent opened), the progress window, the
# compile dialog and the message boxes into docs/*.png, offscreen, with the
# default style and fonts; and into docs/windows/*.png as the Windows program shows them under Wine,
# with the windows platform, Wine's fonts and the frames Wine draws.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target ormel_screenshots
QT_QPA_PLATFORM=offscreen ./build/dev/tools/ormel_screenshots docs

source scripts/wine-session.sh
ORMEL_QT_WINDOWS=$(bash scripts/qt-windows.sh)
export ORMEL_QT_WINDOWS
cmake --preset windows-gui >/dev/null
cmake --build --preset windows-gui --target ormel_screenshots
start_wine_session "$PWD/build/windows-gui/wineprefix"
mkdir -p docs/windows
QT_QPA_PLATFORM=windows wine build/windows-gui/tools/ormel_screenshots.exe docs/windows
