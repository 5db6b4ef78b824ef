#!/usr/bin/env bash
# Builds, from Debian's archive alone, what the Windows programs are built against: Qt (Core,
# Gui, Widgets, Sql with its SQLite driver, Test; the windows platform plugin and styles), SQLite
# as a DLL (Qt's driver and the database's collation must share one SQLite), hidapi's Windows back
# end and GoogleTest, all for x86_64-w64-mingw32. They go into a prefix in a cache folder outside
# the checkout, named by the versions they came from, so a machine builds them once (Qt takes
# 20 minutes on two cores). Prints the prefix.
#   KX12R_WINDOWS_CACHE  the cache folder (default ~/.cache/kx12r-windows)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/scripts/common.sh"

cache="${KX12R_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kx12r-windows}"
triple=x86_64-w64-mingw32
jobs="$(nproc)"

log() { echo "windows-toolchain: $*" >&2; }

# Debian's source packages need a deb-src line for the archive the machine already uses.
ensure_sources() {
  if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -qx Sources; then
    log "adding Debian's source archive to apt"
    local as_root=()
    [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        "${as_root[@]}" tee /etc/apt/sources.list.d/kx12r-debian-src.sources >/dev/null
    else  # the one-line format
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
        "${as_root[@]}" tee /etc/apt/sources.list.d/kx12r-debian-src.list >/dev/null
    fi
    "${as_root[@]}" apt-get update -qq
  fi
}

source_version() { apt-cache showsrc "$1" | awk '/^Version:/ { print $2; exit }'; }

PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  dpkg-dev tcl ninja-build cmake qt6-base-dev qt6-base-dev-tools qt6-translations-l10n googletest)
install_missing_packages
ensure_sources

qt_version="$(source_version qt6-base)"
sqlite_version="$(source_version sqlite3)"
hidapi_version="$(source_version hidapi)"
gtest_version="$(dpkg-query -W -f '${Version}' googletest)"
mingw_version="$(dpkg-query -W -f '${Version}' g++-mingw-w64-x86-64-posix)"
versions="mingw $mingw_version qt $qt_version sqlite $sqlite_version"
versions+=" hidapi $hidapi_version gtest $gtest_version"
prefix="$cache/qt-${qt_version%%+*}-$(echo "$versions" | sha256sum | cut -c1-12)"
if [[ -f "$prefix/.complete" ]]; then
  echo "$prefix"
  exit 0
fi

work="$cache/work"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
echo "$versions" >"$prefix/versions.txt"
cd "$work"
apt-get source -qq qt6-base="$qt_version" sqlite3="$sqlite_version" hidapi="$hidapi_version" \
  >/dev/null 2>&1 || { log "apt-get source failed"; exit 1; }
toolchain="$here/cmake/mingw-w64-x86_64.cmake"
export KX12R_WINDOWS_PREFIX="$prefix"

log "SQLite $sqlite_version"
(cd sqlite3-*/ && mkdir -p host && cd host && ../configure -q >/dev/null && make -s sqlite3.c >/dev/null)
mkdir -p "$prefix/bin" "$prefix/lib" "$prefix/include"
$triple-gcc-posix -O2 -shared -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS5 \
  -o "$prefix/bin/sqlite3.dll" -Wl,--out-implib,"$prefix/lib/libsqlite3.dll.a" sqlite3-*/host/sqlite3.c
cp sqlite3-*/host/sqlite3.h sqlite3-*/host/sqlite3ext.h "$prefix/include/"

log "hidapi $hidapi_version"
cmake -S hidapi-*/ -B hidapi-build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON >/dev/null
cmake --build hidapi-build >/dev/null
cmake --install hidapi-build >/dev/null

log "GoogleTest $gtest_version"
cmake -S /usr/src/googletest -B gtest-build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF >/dev/null
cmake --build gtest-build >/dev/null
cmake --install gtest-build >/dev/null

log "Qt $qt_version (20 minutes on two cores)"
# The Debian repack leaves out wintab (so no tablet events); OpenGL stays on, as turning it off
# leaves dynamicgl on, which then fails to build.
cmake -S qt6-base-*/ -B qt-build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_WITH_PCH=OFF \
  -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF -DFEATURE_sql_odbc=OFF -DFEATURE_sql_psql=OFF \
  -DFEATURE_sql_mysql=OFF -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON \
  -DSQLite3_INCLUDE_DIR="$prefix/include" -DSQLite3_LIBRARY="$prefix/lib/libsqlite3.dll.a" \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
  -DFEATURE_system_doubleconversion=OFF >qt-configure.log 2>&1 \
  || { tail -40 qt-configure.log >&2; exit 1; }
cmake --build qt-build --parallel "$jobs" >qt-build.log 2>&1 || { tail -40 qt-build.log >&2; exit 1; }
cmake --install qt-build >/dev/null

# Qt's texts in Russian: Debian's translations serve any platform.
mkdir -p "$prefix/translations"
cp /usr/share/qt6/translations/qtbase_ru.qm "$prefix/translations/"

# The C++ run-time the programs need beside them under Windows.
runtime="$(dirname "$($triple-g++-posix -print-libgcc-file-name)")"
cp "$runtime/libstdc++-6.dll" "$runtime/libgcc_s_seh-1.dll" \
  "/usr/$triple/lib/libwinpthread-1.dll" "$prefix/bin/"

rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix"
