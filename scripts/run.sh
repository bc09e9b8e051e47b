#!/usr/bin/env bash
# Builds the program, installs it into a program folder and starts it from
# there. The folder is build/Ormel, or the one given:
#
#   bash scripts/run.sh [PROGRAM_FOLDER]        e.g. bash scripts/run.sh ~/Ormel
#
# Installing again replaces only the program's own files: PRAY.exe and the
# agent folders in the program folder stay as they are.
set -euo pipefail
folder=$(realpath -m "${1:-$(dirname "$0")/../build/Ormel}")
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release
cmake --install build/release --prefix "$folder" >/dev/null
echo "Program folder: $folder"
exec "$folder/ormel"
