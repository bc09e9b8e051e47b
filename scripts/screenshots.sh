#!/usr/bin/env bash
# Draws the main window (also with an agent opened), the progress window, the
# compile dialog and the message boxes:
# - into docs/*.png, offscreen, with the default style and fonts;
# - into docs/large-text/*.png with a 16-point desktop font, as a desktop
#   hands it to Qt: KDE's settings file (kdeglobals), which Qt's own KDE
#   theme reads on an X display (on GNOME, Debian's qt6-gtk-platformtheme
#   passes GTK's font on the same way);
# - into docs/windows/*.png as the Windows program shows them under Wine, with
#   the windows platform, Wine's fonts and the frames Wine draws, at 96 dots
#   per inch, and into docs/windows/120dpi, 144dpi and 192dpi at 125, 150 and
#   200 % (the LogPixels that Windows' display settings set), and into
#   docs/windows/large-text with a 16-point message font (what "Make text
#   bigger" changes), at 96 dots per inch.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
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

kde_settings=$(mktemp -d)
trap 'rm -rf "$kde_settings"; stop_wine_session' EXIT
printf '[General]\nfont=DejaVu Sans,16,-1,5,50,0,0,0,0,0\n' >"$kde_settings/kdeglobals"
mkdir -p docs/large-text
XDG_CONFIG_HOME=$kde_settings XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 QT_QPA_PLATFORM=xcb \
    ./build/dev/tools/ormel_screenshots docs/large-text

for dpi in 96 120 144 192; do
    folder=docs/windows
    [ $dpi = 96 ] || folder=docs/windows/${dpi}dpi
    mkdir -p "$folder"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
    wineserver -w
    QT_QPA_PLATFORM=windows wine build/windows-gui/tools/ormel_screenshots.exe "$folder"
done
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1

# The message font is a LOGFONT; its first four bytes are its height in
# pixels, negative: -21 is 16 points at 96 dots per inch.
metrics='HKCU\Control Panel\Desktop\WindowMetrics'
message_font=$(wine reg query "$metrics" /v MessageFont | sed -n 's/.*REG_BINARY *//p' | tr -d '\r ')
[ ${#message_font} -gt 56 ] || {
    echo "Wine's settings hold no message font" >&2
    exit 1
}
wine reg add "$metrics" /v MessageFont /t REG_BINARY /d "EBFFFFFF${message_font:8}" /f >/dev/null 2>&1
wineserver -w
mkdir -p docs/windows/large-text
QT_QPA_PLATFORM=windows wine build/windows-gui/tools/ormel_screenshots.exe docs/windows/large-text
wine reg add "$metrics" /v MessageFont /t REG_BINARY /d "$message_font" /f >/dev/null 2>&1
wineserver -w
