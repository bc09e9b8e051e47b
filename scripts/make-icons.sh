#!/usr/bin/env bash
# Makes the program's icons from their drawings in packaging/icons/ and writes
# them into the repository, which keeps them, so that building needs none of
# these tools. Run it again after changing a drawing, and look at the result:
#
#   bash scripts/make-icons.sh [CONTACT_SHEET.png]
#
# Writes packaging/icons/ormel-SIZE.png at every size below (the Linux menu
# entry's icons, and the window's icon through src/ui/resources/ormel.qrc), and
# src/ui/resources/ormel.ico, the Windows program's icon: 16 to 48 as 32-bit
# bitmaps, 256 compressed as PNG. With CONTACT_SHEET.png it also draws every
# size, from 16 to 256, each pixel enlarged to a square, side by side into
# that file.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${ICON_PACKAGES[@]}"

sizes=(16 24 32 48 64 128 256)
icons=packaging/icons

# The drawing for one size: the small sizes have their own, fitted to pixels.
drawing() {
    local size=$1
    if [ -f "$icons/ormel-$size.svg" ]; then
        echo "$icons/ormel-$size.svg"
    else
        echo "$icons/ormel.svg"
    fi
}

for size in "${sizes[@]}"; do
    rsvg-convert --width "$size" --height "$size" --output "$icons/ormel-$size.png" \
        "$(drawing "$size")"
done
icotool --create --output src/ui/resources/ormel.ico \
    "$icons"/ormel-{16,24,32,48}.png --raw="$icons/ormel-256.png"
echo "Icons: $icons/ormel-{$(IFS=,; echo "${sizes[*]}")}.png, src/ui/resources/ormel.ico"

if [ $# -ge 1 ]; then
    frames=()
    for size in "${sizes[@]}"; do
        frames+=("(" "$icons/ormel-$size.png" -background "#c8c8c8" -flatten -filter point
            -resize 256x256 ")")
    done
    convert "${frames[@]}" -bordercolor white -border 6 +append "$1"
    echo "Contact sheet: $1"
fi
