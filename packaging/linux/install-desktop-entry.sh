#!/usr/bin/env bash
# Puts Ormel Compiler into your desktop's application menu: a menu entry that
# starts ormel in its program folder, and the program's icon at every size
# from 16 x 16 to 256 x 256 and as a scalable drawing, in the hicolor icon
# theme. Everything goes into your own data folder ($XDG_DATA_HOME, normally
# ~/.local/share); nothing outside your home is touched.
#
#   bash install-desktop-entry.sh [PROGRAM_FOLDER]
#
# PROGRAM_FOLDER is the folder that holds ormel. Without it, the folder this
# script was installed into is used (the script lies in its desktop/ folder).
# Run it again after moving the program folder. To take the entry out again,
# delete the files it names at the end.
set -euo pipefail

usage() {
    echo "usage: bash install-desktop-entry.sh [PROGRAM_FOLDER]" >&2
    echo "PROGRAM_FOLDER is the folder that holds the program ormel." >&2
    exit 2
}

[ $# -le 1 ] || usage
script_folder=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
folder=${1:-$script_folder/..}
if [ ! -f "$folder/ormel" ] || [ ! -x "$folder/ormel" ]; then
    echo "There is no program ormel in $folder." >&2
    usage
fi
folder=$(cd "$folder" && pwd -P)
case $folder in
*$'\n'* | *$'\r'*)
    echo "A menu entry cannot name a folder whose name holds a line break: $folder" >&2
    exit 1
    ;;
esac
desktop=$folder/desktop
# The icon's sizes, each drawn for itself (desktop/ormel-SIZE.png).
sizes=(16 24 32 48 64 128 256)
for file in ormel-compiler.desktop.in ormel.svg $(printf 'ormel-%s.png ' "${sizes[@]}"); do
    if [ ! -f "$desktop/$file" ]; then
        echo "$desktop/$file is missing; install the program into $folder again." >&2
        exit 1
    fi
done

# A value of the entry: backslashes doubled.
entry_string() {
    local text=$1
    printf '%s' "${text//\\/\\\\}"
}

# The program as the Exec key's one argument: in double quotes, with the four
# characters that are special inside them escaped, percent signs doubled.
exec_argument() {
    local text=$1
    text=${text//\\/\\\\}
    text=${text//\"/\\\"}
    text=${text//\`/\\\`}
    text=${text//\$/\\\$}
    text=${text//%/%%}
    printf '"%s"' "$text"
}

program=$folder/ormel
exec_value=$(entry_string "$(exec_argument "$program")")
try_exec_value=$(entry_string "$program")

data=${XDG_DATA_HOME:-$HOME/.local/share}
entry=$data/applications/ormel-compiler.desktop
installed=("$entry")

# Each icon into its folder of the hicolor theme, under the entry's Icon name.
install_icon() {
    local from=$1 to=$data/icons/hicolor/$2/apps/ormel-compiler.${1##*.}
    install -D -m 644 "$from" "$to"
    installed+=("$to")
}
for size in "${sizes[@]}"; do
    install_icon "$desktop/ormel-$size.png" "${size}x$size"
done
install_icon "$desktop/ormel.svg" scalable
mkdir -p "$(dirname "$entry")"

# The quoted replacements keep "&" in a folder name literal.
{
    while IFS= read -r line || [ -n "$line" ]; do
        line=${line//@EXEC@/"$exec_value"}
        line=${line//@TRY_EXEC@/"$try_exec_value"}
        printf '%s\n' "$line"
    done <"$desktop/ormel-compiler.desktop.in"
} >"$entry.new"
chmod 644 "$entry.new"
mv -f "$entry.new" "$entry"

# Let the menus and icon caches see the change, where those tools exist.
touch "$data/icons/hicolor"
if command -v update-desktop-database >/dev/null; then
    update-desktop-database -q "$data/applications" || true
fi

echo "Menu entry for $program:"
printf '  %s\n' "${installed[@]}"
