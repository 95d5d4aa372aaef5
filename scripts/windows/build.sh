#!/usr/bin/env bash
# Cross-builds SmeltworkAdmin.exe, smeltwork-tool.exe and the test programs for 64-bit
# Windows with Debian's MinGW-w64, against a Qt built here from Debian's own qt6-base
# source. That Qt (only Core, Gui, Widgets, Test and the plugins the program loads) is built
# once into ~/.cache/smeltwork-windows/ and reused by later runs, which only build the
# program. The result: build-windows/SmeltworkAdmin/ (programs, DLLs, plugins) and
# build-windows/SmeltworkAdmin.zip.
# Usage: scripts/windows/build.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
top=$PWD
cache=${SMELT_WINDOWS_CACHE:-$HOME/.cache/smeltwork-windows}
build=$top/build-windows
qt=$cache/qt6-mingw64
triple=x86_64-w64-mingw32
start=$SECONDS

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=("sudo")

# The project's own build packages, and those of the cross build. The host Qt serves as
# the cross build's moc, rcc and uic; it must be the very version whose source is built.
scripts/deps.sh g++-mingw-w64-x86-64-posix mingw-w64 mingw-w64-tools wine wine64 \
    dpkg-dev perl zip

host_qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)

# Debian's source of qt6-base, from the main archive's deb-src entry (added once).
if [ ! -f "$cache/src/.unpacked-$host_qt_version" ]; then
    if ! apt-get source --print-uris "qt6-base=$host_qt_version" >/dev/null 2>&1; then
        echo "Adding Debian's source archive to apt (deb-src, bookworm main)"
        "${sudo[@]}" tee /etc/apt/sources.list.d/smeltwork-deb-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
        "${sudo[@]}" apt-get update -qq
    fi
    rm -rf "$cache/src"
    mkdir -p "$cache/src"
    (cd "$cache/src" && apt-get source -qq "qt6-base=$host_qt_version")
    touch "$cache/src/.unpacked-$host_qt_version"
fi
qtsrc=$(find "$cache/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)

# Qt for Windows: shared libraries, release, with the third-party libraries kept in the
# source tree (zlib, pcre2, freetype, harfbuzz, libpng, double-conversion) since the
# sysroot has none of them. No tablet events: Debian's source leaves out the Wintab header
# they need. The build machine's own libraries must stay out of sight: no pkg-config, and
# the toolchain file keeps every search inside the MinGW sysroot.
if [ ! -f "$qt/.built-$host_qt_version" ]; then
    echo "Building Qt $host_qt_version for Windows into $qt (once; about 40 minutes on two" \
        "cores; the log: $cache/qt-build.log)"
    # A build that stopped part way goes on where it stopped.
    rm -rf "$qt"
    nice -n 19 cmake -S "$qtsrc" -B "$cache/qt-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$top/scripts/windows/mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DCMAKE_INSTALL_PREFIX="$qt" \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
        -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
        -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
        -DFEATURE_testlib=ON -DFEATURE_widgets=ON -DFEATURE_gui=ON \
        -DFEATURE_pkg_config=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
        -DFEATURE_openssl=OFF -DFEATURE_glib=OFF -DFEATURE_jpeg=OFF \
        -DFEATURE_tabletevent=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
        -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
        -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF \
        >"$cache/qt-configure.log" 2>&1 || {
        tail -n 40 "$cache/qt-configure.log"
        echo "Configuring Qt failed; the whole log: $cache/qt-configure.log" >&2
        exit 1
    }
    # GCC warns about every friend function Qt exports; the log keeps them out of sight.
    nice -n 19 cmake --build "$cache/qt-build" --parallel 2 >"$cache/qt-build.log" 2>&1 || {
        grep -B2 -A8 -E 'error|FAILED' "$cache/qt-build.log" | tail -n 60
        echo "Building Qt failed; the whole log: $cache/qt-build.log" >&2
        exit 1
    }
    nice -n 19 cmake --install "$cache/qt-build" >/dev/null
    touch "$qt/.built-$host_qt_version"
    echo "Qt for Windows built in $(((SECONDS - start) / 60)) min"
fi

# The program and its tests, against that Qt: Qt's toolchain file loads the MinGW one and
# adds the cross-built Qt to the search; moc, rcc, uic and lrelease are the build machine's.
echo "Building the program for Windows into $build"
nice -n 19 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$top/scripts/windows/mingw64.cmake" \
    >"$build.configure.log" 2>&1 || {
    cat "$build.configure.log"
    exit 1
}
rm -f "$build.configure.log"
nice -n 19 cmake --build "$build" --parallel 2

# The folder to copy to a Windows machine, laid out as Qt's windeployqt would: the programs,
# the DLLs they import, the platform and style plugins beside them. Nothing else is needed
# there: the C++ runtime of MinGW comes along, and the rest is Windows' own.
deploy=$build/SmeltworkAdmin
rm -rf "$deploy" "$build/SmeltworkAdmin.zip"
mkdir -p "$deploy/platforms" "$deploy/styles"
# On Windows qt_standard_project_setup() puts every program at the top of the build folder.
cp "$build/SmeltworkAdmin.exe" "$build/smeltwork-tool.exe" "$deploy/"
cp "$qt"/bin/Qt6{Core,Gui,Widgets}.dll "$deploy/"
cp "$qt/plugins/platforms/qwindows.dll" "$deploy/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$deploy/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$($triple-g++-posix -print-file-name="$dll")" "$deploy/"
done
$triple-strip "$deploy"/*.exe "$deploy"/*.dll "$deploy"/*/*.dll

# Every DLL a program or plugin imports is in the folder or is part of Windows: one that
# MinGW has an import library for, or an API set (api-ms-win-*).
missing=$(for f in "$deploy"/*.exe "$deploy"/*.dll "$deploy"/*/*.dll; do
    $triple-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p'
done | sort -u | while read -r dll; do
    [ -e "$deploy/$dll" ] || [[ $dll == api-ms-win-* ]] || [ -e "/usr/$triple/lib/lib${dll%.dll}.a" ] ||
        [ -e "/usr/$triple/lib/lib$(echo "${dll%.dll}" | tr 'A-Z' 'a-z').a" ] || echo "$dll"
done)
if [ -n "$missing" ]; then
    echo "The Windows folder lacks: $missing" >&2
    exit 1
fi
(cd "$build" && zip -qr SmeltworkAdmin.zip SmeltworkAdmin)
echo "Windows build done in $((SECONDS - start)) s: $deploy and $build/SmeltworkAdmin.zip"
