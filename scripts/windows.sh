#!/usr/bin/env bash
# The Windows programs, cross-built here with Debian's mingw-w64 and tested under Debian's Wine:
# the tool chain (scripts/windows-toolchain.sh, built once per machine), the build in
# build-windows/, every unit test under Wine, kx12rctl.exe's documents against the Linux build's,
# the installer and the zip (build-windows/dist/), installed and uninstalled under Wine, and the
# demo window under Wine on a virtual display, clicked tab by tab (build-windows/screenshots/).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(wine64 wine nsis zip xvfb xdotool imagemagick librsvg2-bin)
install_missing_packages
build kx12rctl  # the Linux kx12rctl, whose documents the Windows one must give

prefix="$("$ROOT/scripts/windows-toolchain.sh" | tail -n 1)"
out="$ROOT/build-windows"
version="$(sed -n 's/^project(kx12r-config VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")"

# Every Wine program of this run shares one Wine prefix, made once; no Windows program gets an
# X display unless it is given one, so none waits on one.
export WINEPREFIX="$out/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64
wine=(/usr/lib/wine/wine64)
unset DISPLAY
mkdir -p "$out"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "${wine[@]}" wineboot --init > /dev/null 2>&1
fi
trap 'wineserver -k 2> /dev/null || true' EXIT

step() { echo "== windows: $*"; }

# What the installer puts in its folder and what the uninstaller takes away again: the files
# of the folder the build installed into, one by one, so that nothing else there is removed.
write_nsis_lists() {
  local stage="$1" lists="$2" folder file
  mkdir -p "$lists"
  : > "$lists/installed-files.nsh"
  : > "$lists/removed-files.nsh"
  while read -r folder; do
    folder="${folder#.}"
    echo "SetOutPath \"\$INSTDIR${folder//\//\\}\"" >> "$lists/installed-files.nsh"
    while read -r file; do
      echo "File \"$stage$folder/${file#./}\"" >> "$lists/installed-files.nsh"
      echo "Delete \"\$INSTDIR${folder//\//\\}\\${file#./}\"" >> "$lists/removed-files.nsh"
    done < <(cd "$stage$folder" && find . -maxdepth 1 -type f | sort)
  done < <(cd "$stage" && find . -type d | sort)
  echo 'SetOutPath "$INSTDIR"' >> "$lists/installed-files.nsh"
  while read -r folder; do
    folder="${folder#.}"
    echo "RMDir \"\$INSTDIR${folder//\//\\}\"" >> "$lists/removed-files.nsh"
  done < <(cd "$stage" && find . -mindepth 1 -type d | sort -r)
}

step "build"
# The unit tests run under Wine, finding Qt's DLLs and plugins in the tool chain's prefix.
emulator="/usr/bin/env;WINEPATH=$prefix/bin;$WINELOADER"
cmake -S "$ROOT" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DKX12R_WINDOWS_PREFIX="$prefix" \
  -DCMAKE_PREFIX_PATH="$prefix" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DKX12R_BUILD_BENCH=OFF \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" > /dev/null
cmake --build "$out" --parallel "$(nproc)"

step "unit tests under Wine"
ctest --test-dir "$out" --output-on-failure --parallel "$(nproc)"

step "kx12rctl.exe gives the Linux build's documents"
WINEPATH="$prefix/bin" "$ROOT/tests/windows/same_documents.sh" "$BUILD_DIR/bin/kx12rctl" \
  "${wine[*]} $out/bin/kx12rctl.exe"

step "installer and zip"
stage="$out/stage"
dist="$out/dist"
rm -rf "$stage" "$dist"
mkdir -p "$dist"
cmake --install "$out" --prefix "$stage" > /dev/null
write_nsis_lists "$stage" "$out/nsis"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DLISTS="$out/nsis" \
  -DOUTFILE="$dist/kx12r-config-$version-setup.exe" "$ROOT/packaging/windows/kx12r-config.nsi"
(cd "$out" && rm -rf "kx12r-config-$version" && cp -r stage "kx12r-config-$version" &&
  zip -qr "$dist/kx12r-config-$version-windows-x64.zip" "kx12r-config-$version" &&
  rm -rf "kx12r-config-$version")

step "installed and uninstalled under Wine"
"$ROOT/tests/windows/installer.sh" "$dist/kx12r-config-$version-setup.exe" "$stage"

step "the demo window under Wine"
"$ROOT/tests/windows/demo_window.sh" "$out/bin/kx12r-config-demo.exe" "$prefix/bin" \
  "$out/screenshots"
ls "$dist"
