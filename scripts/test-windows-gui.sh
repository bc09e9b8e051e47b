#!/usr/bin/env bash
# Builds the Windows program (ormel.exe and the rest of src/) and its window
# tests against a static Qt for mingw, and runs the tests under Wine with Qt's
# windows platform on an X display of this script's own. Then it makes the
# two Windows packages, build/Ormel-<version>-Windows.zip and
# build/Ormel-<version>-Setup.exe, and tries the installer in the same Wine
# prefix: install, the example built in the installed folder, upgrade and
# uninstall (tests/install/windows_setup_test.sh).
# The test preset runs the window tests only (the core's run in the windows
# preset's leg), with a UTF-8 locale: Wine maps file names to the Linux
# locale's character set, and with LC_ALL=C a folder named with "é" cannot
# be made; Wine's ANSI code page stays 1252 either way.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/wine-session.sh
ensure_packages cmake ninja-build "${WINDOWS_PACKAGES[@]}" "${WINDOWS_GUI_PACKAGES[@]}" \
    "${WINDOWS_RELEASE_PACKAGES[@]}"
ensure_locales ru_RU.UTF-8 ja_JP.UTF-8
ORMEL_QT_WINDOWS=$(bash scripts/qt-windows.sh)
export ORMEL_QT_WINDOWS
start_wine_session "$PWD/build/windows-gui/wineprefix"
cmake --workflow --preset windows-gui
bash packaging/windows/make-packages.sh build/windows-gui build
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-gui/CMakeCache.txt)
# The ZIP holds exactly the program folder that the installer's test runs.
unpacked=$(mktemp -d)
(cd "$unpacked" && cmake -E tar xf "$OLDPWD/build/Ormel-$version-Windows.zip")
diff -r build/windows-gui/packages/Ormel "$unpacked/Ormel"
rm -rf "$unpacked"
bash tests/install/windows_setup_test.sh "build/Ormel-$version-Setup.exe" build/windows-gui/packages/Ormel \
    build/windows-gui/tests/ui_tests.exe
