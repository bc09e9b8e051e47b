#!/usr/bin/env bash
# Installs the program into an empty folder, as an author would, and checks
# the program folder that results: its layout, that ormel starts from it, and
# that the menu entry installed from it points back at it.
#
#   program_folder_test.sh CMAKE BUILD_DIR CONFIG SOURCE_DIR PROGRAM_FOLDER
#
# PROGRAM_FOLDER is emptied first and left installed afterwards, for the
# tests that run the program from it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/report-failure.sh"

cmake=$1 build_dir=$2 config=$3 source_dir=$4 folder=$5

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

install_into_empty_folder() {
    rm -rf "$folder"
    mkdir -p "$folder"
    "$cmake" --install "$build_dir" --config "$config" --prefix "$folder" >/dev/null
}

# Flat: the program, its package builder and its help page at the top,
# nothing in bin/ or share/.
check_layout() {
    local expected actual
    expected=$(printf '%s\n' LICENSE NOTICES.txt desktop examples licenses ormel ormel-help.html \
        ormel-pray)
    actual=$(ls -1 "$folder" | LC_ALL=C sort)
    [ "$actual" = "$expected" ] || fail "program folder holds: $(echo "$actual" | tr '\n' ' ')"

    [ -x "$folder/ormel" ] || fail "ormel is not an executable file"
    [ -x "$folder/ormel-pray" ] || fail "ormel-pray is not an executable file"
    cmp -s "$folder/ormel-help.html" "$source_dir/help/ormel-help.html" ||
        fail "ormel-help.html beside ormel differs from help/ormel-help.html"

    local file
    for file in LICENSE NOTICES.txt licenses/LGPL-3.0.txt licenses/GPL-3.0.txt licenses/FTL.txt; do
        cmp -s "$folder/$file" "$source_dir/$file" || fail "$file is missing or differs"
    done
    for file in Lantern.txt lantern.cos lantern.c16 glow.wav; do
        cmp -s "$folder/examples/Lantern/$file" "$source_dir/examples/Lantern/$file" ||
            fail "examples/Lantern/$file is missing or differs"
    done
    [ "$(head -c 4 "$folder/examples/Lantern/glow.wav")" = RIFF ] ||
        fail "examples/Lantern/glow.wav is not a RIFF file"

    for file in install-desktop-entry.sh ormel-compiler.desktop.in ormel.svg; do
        [ -f "$folder/desktop/$file" ] || fail "desktop/$file is missing"
    done
    [ -x "$folder/desktop/install-desktop-entry.sh" ] ||
        fail "desktop/install-desktop-entry.sh is not executable"
}

# The program has no way to end by itself: still running after three seconds
# means it found its libraries and opened its window. It is started from
# another working folder, as a menu entry would start it.
check_program_starts() {
    local status=0
    (cd / && QT_QPA_PLATFORM=offscreen timeout -k 2 3 "$folder/ormel") || status=$?
    [ "$status" -eq 124 ] || fail "ormel ended with status $status instead of running on"
}

# The bundled builder runs from the folder and builds the example's package.
check_builder_builds_the_example() {
    local out
    out=$(mktemp -d)
    (cd "$out" && "$folder/ormel-pray" "$folder/examples/Lantern/Lantern.txt") ||
        fail "ormel-pray could not build examples/Lantern/Lantern.txt"
    [ "$(head -c 4 "$out/Lantern.agent" 2>/dev/null)" = PRAY ] || fail "no Lantern.agent built"
    rm -rf "$out"
}

# The menu entry must start this folder's ormel, however its path is spelt.
check_desktop_entry() {
    local data entry
    data=$(mktemp -d)
    XDG_DATA_HOME=$data bash "$folder/desktop/install-desktop-entry.sh" >/dev/null ||
        fail "install-desktop-entry.sh failed"
    entry=$data/applications/ormel-compiler.desktop
    if [ -f "$entry" ]; then
        grep -qxF "Exec=\"$folder/ormel\"" "$entry" ||
            fail "the menu entry does not start $folder/ormel: $(grep '^Exec=' "$entry")"
        grep -qxF "Name=Ormel Compiler" "$entry" || fail "the menu entry is not named Ormel Compiler"
        if command -v desktop-file-validate >/dev/null; then
            desktop-file-validate "$entry" || fail "the menu entry is not a valid desktop entry"
        fi
    else
        fail "no menu entry in $data/applications"
    fi
    # Every size that the icon is drawn at, installed under its own size.
    local size
    for size in 16 24 32 48 64 128 256; do
        cmp -s "$data/icons/hicolor/${size}x$size/apps/ormel-compiler.png" \
            "$source_dir/packaging/icons/ormel-$size.png" || fail "no $size x $size icon"
    done
    cmp -s "$data/icons/hicolor/scalable/apps/ormel-compiler.svg" \
        "$source_dir/packaging/icons/ormel.svg" || fail "no scalable icon"
    rm -rf "$data"
}

install_into_empty_folder
check_layout
check_program_starts
check_builder_builds_the_example
check_desktop_entry
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed for $folder" >&2
    exit 1
fi
echo "program folder $folder: layout, start and menu entry checked"
