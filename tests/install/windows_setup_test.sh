#!/usr/bin/env bash
# The Windows installer under Wine, as an author uses it:
#
#   windows_setup_test.sh SETUP PROGRAM_FOLDER UI_TESTS
#
# SETUP is Ormel-<version>-Setup.exe, PROGRAM_FOLDER the program folder it was
# made from, UI_TESTS the window tests (ui_tests.exe). It runs in the Wine
# prefix and on the display that the caller has set up (wine-session.sh).
#   1. A silent install (/S) puts exactly the program folder, an uninstaller,
#      a Start-menu shortcut and the uninstall entry (HKCU) in place.
#   2. In the installed folder the example agent builds through the real
#      window with the bundled builder (InstalledFolderTest, in place).
#   3. The author adds a PRAY.exe, an agent folder and a package, and edits
#      the example's script; installing again (an upgrade) keeps them all,
#      puts this version's script beside the edited one as lantern.cos.new,
#      and installs the rest of the program's files.
#   4. A silent uninstall removes the program's files, the shortcut and the
#      entry, and leaves the author's files, the edited script among them,
#      as they were.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/report-failure.sh"
setup=$(realpath "$1") source_folder=$(realpath "$2") ui_tests=$(realpath "$3")
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ormel Compiler'

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
timed() { # label command...
    local label=$1 start=$EPOCHREALTIME
    shift
    "$@"
    awk -v l="$label" -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "  %s: %.1f s\n", l, b - a }'
}
# On a loaded machine Wine may answer late or not at all while its server
# starts: each question is asked up to 5 times, each bounded and with a longer
# pause after it, and an answer is taken only when it has the expected form.
wine_answer() { # what pattern command...
    local what=$1 pattern=$2 attempt answer
    shift 2
    for attempt in 1 2 3 4 5; do
        answer=$(timeout 120 "$@" 2>/dev/null | tr -d '\r' || true)
        if [[ $answer =~ $pattern ]]; then
            printf '%s\n' "$answer"
            return 0
        fi
        echo "Wine gave no answer to $what (attempt $attempt of 5: \"$answer\"); asking again" >&2
        sleep $((attempt * 5))
    done
    echo "Wine did not answer $what after 5 attempts; giving up" >&2
    return 1
}
windows_folder() { wine_answer "%$1%" '^[A-Za-z]:\\' wine cmd /c echo "%$1%"; }
unix_path() { wine_answer "winepath -u $1" '^/' winepath -u "$1"; }

installed_windows="$(windows_folder LOCALAPPDATA)\\Programs\\Ormel Compiler"
installed=$(unix_path "$installed_windows")
installed=${installed%/}
start_menu="$(unix_path "$(windows_folder APPDATA)")/Microsoft/Windows/Start Menu"
shortcut="$start_menu/Programs/Ormel Compiler.lnk"

# An earlier run's install is gone first.
rm -rf "$installed" "$shortcut"
wine reg delete "$key" /f >/dev/null 2>&1 || true

edited=examples/Lantern/lantern.cos

check_program_installed() { # when [file the author has edited]
    (cd "$source_folder" && find . -type f -printf '%P\n') | while IFS= read -r file; do
        if [ "$file" = "${2:-}" ]; then
            cmp -s "$source_folder/$file" "$installed/$file.new" || echo "$file.new"
        else
            cmp -s "$source_folder/$file" "$installed/$file" || echo "$file"
        fi
    done | grep . && fail "$1: the program's files above are missing or differ"
    [ -f "$installed/Uninstall.exe" ] || fail "$1: no Uninstall.exe"
    [ -f "$shortcut" ] || fail "$1: no Start-menu shortcut"
    local entry
    entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r') || fail "$1: no uninstall entry"
    local value
    for value in "DisplayName    REG_SZ    Ormel Compiler" \
        "InstallLocation    REG_SZ    $installed_windows" \
        "UninstallString    REG_SZ    \"$installed_windows\\Uninstall.exe\"" \
        "QuietUninstallString    REG_SZ    \"$installed_windows\\Uninstall.exe\" /S" \
        "DisplayIcon    REG_SZ    $installed_windows\\ormel.exe,0" \
        "DisplayVersion    REG_SZ" "Publisher    REG_SZ" "NoModify    REG_DWORD    0x1" \
        "NoRepair    REG_DWORD    0x1"; do
        grep -qF "    $value" <<<"$entry" || fail "$1: the uninstall entry lacks $value"
    done
}

# The author's own files, what the window test built, and an edit of the
# example's script in place.
add_authors_files() {
    printf 'MZ the author'"'"'s own builder' >"$installed/PRAY.exe"
    mkdir -p "$installed/My Agent"
    echo '* my script' >"$installed/My Agent/my agent.cos"
    printf 'PRAY my package' >"$installed/My Agent.agent"
    echo '* the author was here' >>"$installed/$edited"
    (cd "$installed" && find PRAY.exe "My Agent" "My Agent.agent" Lantern Lantern.agent "$edited" \
        -type f -exec sha256sum {} +) >"$authors"
}
check_authors_files() { # when
    (cd "$installed" 2>/dev/null && sha256sum --quiet -c "$authors") ||
        fail "$1: the author's files changed"
}

authors=$(mktemp) log=$(mktemp)
trap 'rm -f "$authors" "$log"' EXIT

echo "Installer under Wine ($installed_windows):"
timed install wine "$setup" /S
check_program_installed "install"
diff -r -x Uninstall.exe -x Uninstall.ini "$source_folder" "$installed" ||
    fail "install: more than the program folder"

build_example_in_place() {
    ORMEL_UI_TEST_CLASS=InstalledFolderTest ORMEL_TEST_PROGRAM_FOLDER=$installed_windows \
        ORMEL_TEST_IN_PLACE=1 QT_QPA_PLATFORM=windows LC_ALL=C.UTF-8 wine "$ui_tests" >"$log" 2>&1 ||
        fail "the example did not build in the installed folder: $(cat "$log")"
}
timed "example built in the installed folder" build_example_in_place
[ "$(head -c 4 "$installed/Lantern.agent" 2>/dev/null)" = PRAY ] || fail "no Lantern.agent built"

add_authors_files
timed upgrade wine "$setup" /S
check_program_installed "upgrade" "$edited"
check_authors_files "upgrade"

# The uninstaller copies itself into a temporary folder and returns at once;
# the copy has done its work when Wine's last process has ended.
timed "uninstall (started)" wine "$installed/Uninstall.exe" /S
timed "uninstall (ended)" wineserver -w
(cd "$source_folder" && find . -type f -printf '%P\n') | while IFS= read -r file; do
    [ "$file" = "$edited" ] || [ ! -e "$installed/$file" ] || echo "$file"
    [ ! -e "$installed/$file.new" ] || echo "$file.new"
done | grep . && fail "uninstall left the program's files above"
[ ! -e "$installed/Uninstall.exe" ] || fail "uninstall left Uninstall.exe"
[ ! -e "$installed/Uninstall.ini" ] || fail "uninstall left its record Uninstall.ini"
[ "$(cd "$installed" && find examples)" = $'examples\nexamples/Lantern\nexamples/Lantern/lantern.cos' ] ||
    fail "uninstall left more in examples than the edited script"
[ ! -e "$shortcut" ] || fail "uninstall left the Start-menu shortcut"
! wine reg query "$key" >/dev/null 2>&1 || fail "uninstall left the uninstall entry"
check_authors_files "uninstall"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of the installer failed" >&2
    exit 1
fi
echo "The installer installs, upgrades and uninstalls, and the author's files and edits stay."
