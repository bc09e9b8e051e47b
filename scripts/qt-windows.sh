#!/usr/bin/env bash
# Prints the install prefix of a static Qt for x86_64-w64-mingw32 that matches
# the host's Qt (same version, so the host's moc, rcc and uic fit it).
#
# In this order it
#   1. reuses $ORMEL_QT_WINDOWS, or the cache ~/.cache/ormel/qt-<version>-mingw-static;
#   2. unpacks the prebuilt archive ../shared/qt-windows/qt-<version>-mingw-static.tar.xz
#      (beside the repository) into the cache, after checking its checksum;
#   3. builds it from Debian's own source package qt6-base into the cache.
# Progress goes to stderr; stdout holds only the prefix.
#
# ORMEL_QT_CACHE overrides the cache folder; ORMEL_QT_FROM_SOURCE=1 skips the
# prebuilt archive; ORMEL_QT_JOBS sets the compile jobs of the source build.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/report-failure.sh"
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/scripts/deps.sh"
say() { echo "qt-windows: $*" >&2; }

host_package_version() { dpkg-query -W -f='${Version}' qt6-base-dev; }
# 6.4.2+dfsg-10 -> 6.4.2
upstream_version() { local v=${1%%+*}; echo "${v%%-*}"; }

# A prefix is usable when it holds Qt's toolchain file and the windows plugin.
usable_prefix() {
    [ -f "$1/lib/cmake/Qt6/qt.toolchain.cmake" ] &&
        [ -f "$1/plugins/platforms/libqwindows.a" ]
}

unpack_prebuilt() { # archive cache
    local archive=$1 cache=$2
    say "checking $archive"
    (cd "$(dirname "$archive")" && sha256sum --quiet -c "$(basename "$archive").sha256") >&2
    local tmp
    tmp=$(mktemp -d "$(dirname "$cache")/unpack.XXXXXX")
    say "unpacking into $cache"
    tar -xJf "$archive" -C "$tmp"
    local top
    top=$(find "$tmp" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    rm -rf "$cache"
    mv "$top" "$cache"
    rmdir "$tmp"
}

# Fetches Debian's source package through a private apt configuration that
# adds deb-src for the archive the host's Qt came from; the system's own apt
# configuration stays untouched.
fetch_debian_source() { # package_version workdir
    local version=$1 work=$2
    local line uri suite
    line=$(apt-cache policy qt6-base-dev | grep -m1 -E '^ +[0-9]+ https?://')
    uri=$(awk '{print $2}' <<<"$line")
    suite=$(awk '{print $3}' <<<"$line")
    local apt="$work/apt"
    mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/parts"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri ${suite%%/*} ${suite#*/}" \
        >"$apt/sources.list"
    local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt" -o "Dir::Cache::archives=$apt/archives"
        -o "APT::Sandbox::User=root")
    say "fetching qt6-base $version source from $uri"
    apt-get "${opts[@]}" -qq update >&2
    (cd "$work" && apt-get "${opts[@]}" -qq source --download-only "qt6-base=$version" >&2)
}

configure_options() { # prefix
    cat <<EOF
-DCMAKE_INSTALL_PREFIX=$1
-DCMAKE_BUILD_TYPE=Release
-DBUILD_SHARED_LIBS=OFF
-DQT_QMAKE_TARGET_MKSPEC=win32-g++
-DQT_HOST_PATH=/usr
-DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
-DQT_BUILD_EXAMPLES=OFF
-DQT_BUILD_TESTS=OFF
-DQT_BUILD_BENCHMARKS=OFF
-DFEATURE_static_runtime=ON
-DINPUT_opengl=no
-DFEATURE_opengl=OFF
-DFEATURE_vulkan=OFF
-DFEATURE_direct2d=OFF
-DFEATURE_directwrite3=OFF
-DFEATURE_tabletevent=OFF
-DFEATURE_sql=OFF
-DFEATURE_network=OFF
-DFEATURE_printsupport=OFF
-DFEATURE_dbus=OFF
-DFEATURE_concurrent=OFF
-DFEATURE_xml=OFF
-DFEATURE_jpeg=OFF
-DFEATURE_gif=OFF
-DFEATURE_zstd=OFF
-DFEATURE_icu=OFF
-DFEATURE_freetype=ON
-DFEATURE_harfbuzz=ON
-DFEATURE_system_zlib=OFF
-DFEATURE_system_pcre2=OFF
-DFEATURE_system_freetype=OFF
-DFEATURE_system_harfbuzz=OFF
-DFEATURE_system_png=OFF
-DFEATURE_system_jpeg=OFF
-DFEATURE_system_doubleconversion=OFF
-DFEATURE_testlib=ON
EOF
}

build_from_source() { # package_version prefix
    local version=$1 prefix=$2
    local work
    work=$(mktemp -d "$(dirname "$prefix")/source.XXXXXX")
    local started=$SECONDS
    fetch_debian_source "$version" "$work"
    local orig
    orig=$(ls "$work"/qt6-base_*.orig.tar.*)
    say "unpacking $(basename "$orig")"
    tar -xf "$orig" -C "$work"
    local src
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qtbase-everywhere-src-*')
    local patch
    for patch in "$repo"/scripts/qt-windows/*.patch; do
        [ -e "$patch" ] || continue
        say "applying $(basename "$patch")"
        patch -d "$src" -p1 <"$patch" >&2
    done
    say "configuring"
    local options
    mapfile -t options < <(configure_options "$prefix")
    cmake -S "$src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" "${options[@]}" >&2
    say "compiling with ${ORMEL_QT_JOBS:-$(nproc)} jobs"
    cmake --build "$work/build" -j "${ORMEL_QT_JOBS:-$(nproc)}" >&2
    cmake --install "$work/build" >&2
    rm -rf "$work"
    say "built from source in $((SECONDS - started)) s"
}

main() {
    if [ -n "${ORMEL_QT_WINDOWS:-}" ]; then
        usable_prefix "$ORMEL_QT_WINDOWS" || {
            say "ORMEL_QT_WINDOWS=$ORMEL_QT_WINDOWS holds no static Qt for Windows"
            exit 1
        }
        echo "$ORMEL_QT_WINDOWS"
        return
    fi
    local package_version version
    package_version=$(host_package_version)
    version=$(upstream_version "$package_version")
    local cache=${ORMEL_QT_CACHE:-$HOME/.cache/ormel}/qt-$version-mingw-static
    if usable_prefix "$cache"; then
        echo "$cache"
        return
    fi
    mkdir -p "$(dirname "$cache")"
    local archive
    archive="$(dirname "$repo")/shared/qt-windows/qt-$version-mingw-static.tar.xz"
    if [ "${ORMEL_QT_FROM_SOURCE:-0}" != 1 ] && [ -f "$archive" ]; then
        unpack_prebuilt "$archive" "$cache"
    else
        ensure_packages "${QT_SOURCE_BUILD_PACKAGES[@]}"
        rm -rf "$cache"
        build_from_source "$package_version" "$cache"
    fi
    usable_prefix "$cache" || {
        say "$cache holds no usable Qt after set-up"
        exit 1
    }
    echo "$cache"
}

main "$@"
