# Sourced by the scripts that run Windows programs under Wine:
#   ensure_wine_prefix PREFIX
#   ensure_locales LOCALE...
# makes PREFIX a complete Wine prefix before any test runs in it. Left to
# itself, Wine creates the prefix on the first program's start, and on a
# loaded machine it once left system32 empty, so that the first test died
# with "could not load kernel32.dll". Here the prefix is created explicitly,
# waited for, checked, and created once more from scratch if it is not
# complete.
wine_prefix_complete() {
    [ -f "$1/drive_c/windows/system32/kernel32.dll" ]
}

ensure_wine_prefix() {
    local prefix=$1
    local attempt
    for attempt in 1 2; do
        wine_prefix_complete "$prefix" && return 0
        if [ -e "$prefix" ]; then
            echo "Wine prefix $prefix is incomplete; creating it afresh" >&2
            WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
            rm -rf "$prefix"
        fi
        echo "Creating the Wine prefix $prefix (attempt $attempt)" >&2
        mkdir -p "$(dirname "$prefix")"
        # No Mono or Gecko: nothing here needs them, and their set-up asks.
        WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i || true
        WINEPREFIX=$prefix wineserver -w
    done
    wine_prefix_complete "$prefix" && return 0
    echo "Wine could not create a complete prefix in $prefix" >&2
    return 1
}

# Wine takes its ANSI code page from the locale (ru_RU.UTF-8 gives 1251,
# ja_JP.UTF-8 932); the tests of other code pages need these locales
# generated. Root adds them to /etc/locale.gen and runs locale-gen; anyone
# else is told the commands.
ensure_locales() {
    local missing=()
    local locale
    for locale in "$@"; do
        locale -a | grep -qix "${locale/UTF-8/utf8}" || missing+=("$locale")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "These locales are missing: ${missing[*]}. Generate them, then run this again:" >&2
        echo "  add \"LOCALE UTF-8\" lines to /etc/locale.gen and run sudo locale-gen" >&2
        exit 1
    fi
    for locale in "${missing[@]}"; do
        grep -qx "$locale UTF-8" /etc/locale.gen || echo "$locale UTF-8" >>/etc/locale.gen
    done
    locale-gen >/dev/null
}
