# Sourced by the scripts that run the Windows program under Wine: an X display
# of their own and a ready Wine prefix, both undone when the script ends.
#   start_wine_session PREFIX   starts Xvfb, exports DISPLAY and WINEPREFIX,
#                               and sets the prefix up
# Qt's windows platform needs an X display under Wine even for its hidden
# message window; its offscreen platform hangs there.

source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"

wine_session_display_pid=""

stop_wine_session() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ -n "$wine_session_display_pid" ]; then
        kill "$wine_session_display_pid" 2>/dev/null || true
        wait "$wine_session_display_pid" 2>/dev/null || true
        wine_session_display_pid=""
    fi
}

# Xvfb picks a free display number itself and writes it to the given file.
start_x_display() {
    local number_file
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" 2>/dev/null &
    wine_session_display_pid=$!
    local tries
    for tries in $(seq 100); do
        [ -s "$number_file" ] && break
        sleep 0.1
    done
    local number
    number=$(tr -d '\n' <"$number_file")
    rm -f "$number_file"
    [ -n "$number" ] || {
        echo "Xvfb did not start" >&2
        return 1
    }
    export DISPLAY=":$number"
}

# Debian's Wine finds no Windows fonts by itself: without them Qt falls back
# to a math font whose glyph box is 46 px high and every text box looks empty.
# Wine's own fonts (Tahoma among them), copied into the prefix, are found.
install_wine_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp -n /usr/share/wine/fonts/* "$fonts/"
}

# Xvfb has no window manager to draw frames and captions; Wine draws them
# itself, as Windows does, when its windows are not to be decorated by one.
draw_frames_in_wine() {
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
}

start_wine_session() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    trap stop_wine_session EXIT
    start_x_display
    if ! wine_prefix_complete "$WINEPREFIX"; then
        ensure_wine_prefix "$WINEPREFIX"
        draw_frames_in_wine
    fi
    install_wine_fonts
}
