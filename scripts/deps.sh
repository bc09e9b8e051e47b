# Sourced by the other scripts: ensure_packages PKG... installs the Debian
# packages that are missing (as root), or prints the one line to run and stops.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "These Debian packages are missing. Install them, then run this command again:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# What building the program needs.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev zlib1g-dev)
# What running the program adds: xdg-open, through which Help opens the page
# in the desktop's browser.
RUN_PACKAGES=(xdg-utils)
# What the tests and benchmarks add (desktop-file-validate checks the menu entry).
TEST_PACKAGES=(googletest libgtest-dev libgmock-dev libbenchmark-dev desktop-file-utils)
# The Windows leg: the cross-compiler and Wine to run its results, and the
# locales that give Wine other ANSI code pages.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 googletest libz-mingw-w64-dev locales)
# The fuzzers: clang with libFuzzer and the sanitizers' run-time.
FUZZ_PACKAGES=(cmake ninja-build clang-14 libclang-rt-14-dev zlib1g-dev)
# The Windows program: its window tests run under Wine on an Xvfb display.
WINDOWS_GUI_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 libz-mingw-w64-dev xvfb xauth fonts-wine qt6-base-dev
    locales)
# The Windows packages: the installer is built with NSIS.
WINDOWS_RELEASE_PACKAGES=(nsis)
# Making the icons from their drawings (scripts/make-icons.sh); the build
# uses the icons kept in the repository and needs none of these.
ICON_PACKAGES=(librsvg2-bin icoutils imagemagick)
# Building Qt for Windows from Debian's source package (scripts/qt-windows.sh).
QT_SOURCE_BUILD_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev
    qt6-base-dev-tools xz-utils patch)
