#!/usr/bin/env bash
# Builds the program, installs it into a program folder and starts it from
# there, in the background: the terminal is free again at once, for instance
# to copy the example into the folder while the window is open. The folder is
# build/Ormel, or the one given:
#
#   bash scripts/run.sh [--install-only] [PROGRAM_FOLDER]     e.g. bash scripts/run.sh ~/Ormel
#
# --install-only builds and installs without starting the program, and needs
# no display. Installing again replaces only the program's own files: PRAY.exe
# and the agent folders in the program folder stay as they are.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
start=yes
if [ "${1:-}" = --install-only ]; then
    start=no
    shift
fi
folder=$(realpath -m "${1:-$(dirname "$0")/../build/Ormel}")
cd "$(dirname "$0")/.."

# Without a display Qt can only abort after the whole build; say so first.
if [ $start = yes ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "No display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset):" \
        "run this in a desktop session or over ssh -X, or only build and install with" \
        "bash scripts/run.sh --install-only" >&2
    exit 1
fi

source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release
cmake --install build/release --prefix "$folder" >/dev/null
echo "Program folder: $folder"
[ $start = yes ] || exit 0

# Started apart from this terminal; a program that cannot start at all (no
# connection to the display, say) ends at once, and its messages are shown.
log=$(mktemp -t ormel-run.XXXXXX.log)
nohup "$folder/ormel" >"$log" 2>&1 &
pid=$!
sleep 1
if ! kill -0 "$pid" 2>/dev/null; then
    status=0
    wait "$pid" || status=$?
    echo "ormel ended at once, with status $status:" >&2
    cat "$log" >&2
    rm -f "$log"
    exit 1
fi
echo "Started ormel (process $pid); its messages go to $log"
