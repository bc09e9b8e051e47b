#!/usr/bin/env bash
# ormel-pray.exe alone under Wine, in the ANSI code page that LC_ALL gives
# Wine (C.UTF-8 1252, ru_RU.UTF-8 1251, ja_JP.UTF-8 932): a document written
# in that code page, as the form writes it, names files in its letters, in a
# folder whose path also holds "Ł", which none of them can write. It builds;
# unpacking writes the files under their names again, and the unpacked
# document builds the same package. Messages name the files in UTF-8.
# The name in 932 holds a letter whose second byte is a backslash.
#   pray_code_page.sh WINE ORMEL_PRAY_EXE
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/report-failure.sh"
wine=$1
pray=$2
case "${LC_ALL:-}" in
    ru_RU.UTF-8) page=CP1251 name=Фонарь ;;
    ja_JP.UTF-8) page=CP932 name=ソーラーランタン ;;
    C.UTF-8) page=CP1252 name=Lanterné ;;
    *) echo "LC_ALL=${LC_ALL:-} has no case here" >&2; exit 1 ;;
esac
locale -a | grep -qix "${LC_ALL/UTF-8/utf8}" || {
    echo "the locale $LC_ALL is not generated (scripts/wine-prefix.sh: ensure_locales)" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/Łukasz $name"
mkdir -p "$folder"
printf 'glow' >"$folder/$name.wav"
printf 'scrp' >"$folder/$name.cos"
document() {
    printf '"en-GB"\r\ngroup AGNT "%s"\r\n"Script Count" 1\r\n"Script 1" @ "%s.cos"\r\n' \
        "$name" "$name" | iconv -f UTF-8 -t "$page"
    # A lone lead byte of 932 before a double quote, which unpack must keep apart.
    printf '"Lone" "\\\x83\\""\r\n'
    printf 'inline FILE "%s.wav" "%s.wav"\r\n' "$name" "$name" | iconv -f UTF-8 -t "$page"
}
document >"$folder/$name.txt"
at() { printf 'Z:%s' "$1"; }  # the path as Wine's programs see it

"$wine" "$pray" "$(at "$folder/$name.txt")" -o "$(at "$folder/$name.agent")"
LC_ALL=C grep -qaF "$(printf '%s.wav' "$name" | iconv -f UTF-8 -t "$page")" "$folder/$name.agent"
"$wine" "$pray" unpack "$(at "$folder/$name.agent")" "$(at "$work/Łukasz unpacked")"
cmp "$folder/$name.wav" "$work/Łukasz unpacked/$name.wav"
"$wine" "$pray" "$(at "$work/Łukasz unpacked/$name.txt")" -o "$(at "$work/again.agent")"
cmp "$folder/$name.agent" "$work/again.agent"

rm "$folder/$name.wav"
if "$wine" "$pray" "$(at "$folder/$name.txt")" -o "$(at "$work/none.agent")" 2>"$work/said"; then
    echo "built without $name.wav" >&2
    exit 1
fi
grep -qF "\"$name.wav\"" "$work/said" || {
    echo "the message does not name $name.wav:" >&2
    cat "$work/said" >&2
    exit 1
}
echo "code page $page: built, unpacked and built again in $folder"
