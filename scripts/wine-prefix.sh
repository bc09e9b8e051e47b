# Sourced by the scripts that run Windows programs under Wine:
#   ensure_wine_prefix PREFIX
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
