#!/usr/bin/env bash
# Makes the two Windows packages from a Windows build (the windows-gui preset):
#
#   make-packages.sh BUILD_DIR OUT_DIR
#
#   OUT_DIR/Ormel-<version>-Windows.zip  the program folder "Ormel", to unpack
#                                        anywhere and run from there
#   OUT_DIR/Ormel-<version>-Setup.exe    the per-user installer (ormel-setup.nsi)
#
# Both hold the same program folder, laid out by `cmake --install --strip`
# into BUILD_DIR/packages/Ormel. The installer's file list and its
# uninstaller's removal list are made from that folder, so the uninstaller
# removes only what the installer put there.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/report-failure.sh"
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
work=$build/packages
folder=$work/Ormel

rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$folder" --strip >/dev/null

zip=$out/Ormel-$version-Windows.zip
rm -f "$zip"
(cd "$work" && cmake -E tar cf "$zip" --format=zip Ormel)

# NSIS takes "$" as the start of a variable; a file name's own is "$$".
nsis_name() { local name=${1//\$/\$\$}; echo "${name//\//\\}"; }

# Per folder, top first: SetOutPath, then InstallFile for each of its files
# (the installer keeps a file that the author has changed, see
# ormel-setup.nsi).
file_list() {
    local dir file
    while IFS= read -r dir; do
        echo "SetOutPath \"\$INSTDIR${dir:+\\$(nsis_name "$dir")}\""
        find "$folder/$dir" -mindepth 1 -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort |
            while IFS= read -r file; do
                echo "!insertmacro InstallFile \"$folder/${dir:+$dir/}$file\" \"$(nsis_name "${dir:+$dir/}$file")\""
            done
    done < <(cd "$folder" && find . -type d -printf '%P\n' | LC_ALL=C sort)
}

# RemoveFile for each file and for the NAME.new that an upgrade may have put
# beside it (each removed only when as installed), then RMDir (never /r) for
# each folder, deepest first: a folder that the author has put files into
# stays.
remove_list() {
    local path
    (cd "$folder" && find . -type f -printf '%P\n' | LC_ALL=C sort) |
        while IFS= read -r path; do
            echo "!insertmacro RemoveFile \"$(nsis_name "$path")\""
            echo "!insertmacro RemoveFile \"$(nsis_name "$path").new\""
        done
    (cd "$folder" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort -r) |
        while IFS= read -r path; do echo "RMDir \"\$INSTDIR\\$(nsis_name "$path")\""; done
}

file_list >"$work/files.nsh"
remove_list >"$work/remove.nsh"
# The licence page shows the text as it is; Windows' text controls want CR LF.
sed 's/$/\r/' "$repo/LICENSE" >"$work/LICENSE.txt"

setup=$out/Ormel-$version-Setup.exe
makensis -V2 -NOCD \
    -DVERSION="$version" \
    -DOUTFILE="$setup" \
    -DFILE_LIST="$work/files.nsh" \
    -DREMOVE_LIST="$work/remove.nsh" \
    -DSIZE_KB="$(du -sk "$folder" | cut -f1)" \
    -DICON="$repo/src/ui/resources/ormel.ico" \
    -DLICENSE="$work/LICENSE.txt" \
    "$here/ormel-setup.nsi"

ls -l "$zip" "$setup"
