#!/usr/bin/env bash
# Builds the portable archive of the program folder with CPack
# (build/release/packages/Ormel-<version>-Linux.tar.gz), lists it, and checks
# that it holds the program folder and that the program starts from it once
# unpacked.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake --workflow --preset package

name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' build/release/CPackConfig.cmake)
archive=build/release/packages/$name.tar.gz
echo "$archive:"
tar -tvzf "$archive"

contents=$(tar -tzf "$archive")
absent=0
for entry in Ormel/ormel Ormel/ormel-pray Ormel/ormel-help.html Ormel/LICENSE Ormel/NOTICES.txt \
    Ormel/licenses/LGPL-3.0.txt Ormel/licenses/GPL-3.0.txt Ormel/licenses/FTL.txt \
    Ormel/examples/Lantern/Lantern.txt Ormel/examples/Lantern/lantern.cos \
    Ormel/examples/Lantern/lantern.c16 Ormel/examples/Lantern/glow.wav \
    Ormel/desktop/install-desktop-entry.sh Ormel/desktop/ormel-compiler.desktop.in \
    Ormel/desktop/ormel.svg Ormel/desktop/ormel-16.png Ormel/desktop/ormel-256.png; do
    if ! grep -qxF "$entry" <<<"$contents"; then
        echo "missing from the archive: $entry" >&2
        absent=1
    fi
done
[ "$absent" -eq 0 ]

# Unpacked anywhere, the folder runs: the program is still running after
# three seconds (it has no way to end by itself).
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
tar -xzf "$archive" -C "$unpacked"
status=0
QT_QPA_PLATFORM=offscreen timeout -k 2 3 "$unpacked/Ormel/ormel" || status=$?
if [ "$status" -ne 124 ]; then
    echo "ormel from the unpacked archive ended with status $status" >&2
    exit 1
fi
echo "The archive holds the program folder, and ormel starts from it."
