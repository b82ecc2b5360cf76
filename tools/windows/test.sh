#!/usr/bin/env bash
# Runs the Windows build's tests under wine: the whole suite, offscreen, in a
# Russian locale, in a wine prefix made afresh; then the installer as a user
# meets it. Called by `tools/setup.sh test` after tools/windows/build.sh.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
out="${RACION_WINDOWS_BUILD_DIR:-$root/build-windows}"
cache="$(cat "$out/qt-cache-folder")"
triplet=x86_64-w64-mingw32
windows_path() { echo "Z:${1//\//\\}"; }

cmake --build "$out" -j"${RACION_JOBS:-$(nproc)}"

# A prefix of its own, made with a home of its own, so that the documents
# folder and the like lead nowhere outside the build folder.
export WINEPREFIX="$out/wine" WINEDEBUG=-all LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
rm -rf "$WINEPREFIX" "$out/wine-home"
mkdir -p "$out/wine-home"
HOME="$out/wine-home" wineboot -i > /dev/null 2>&1
# wine passes no QT_ variable from here: they go into the user's environment.
wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f > /dev/null 2>&1
wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d "$(windows_path /usr/share/fonts/truetype/dejavu)" /f > /dev/null 2>&1
runtime="$(dirname "$($triplet-g++-posix -print-file-name=libstdc++-6.dll)")"
pthread="$(dirname "$(readlink -f "$($triplet-g++-posix -print-file-name=libwinpthread-1.dll)")")"
export WINEPATH="$(windows_path "$cache/qt/bin");$(windows_path "$cache/glpk/bin");$(windows_path "$runtime");$(windows_path "$pthread")"
wineserver -w

export RACION_SKIPS="$out/skipped.txt"
rm -f "$RACION_SKIPS"
log="$out/ctest.log"
set +e
(cd "$out" && ctest --output-on-failure --timeout 900) 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e
echo
echo "Skipped under wine, with the reasons:"
if [ -s "$RACION_SKIPS" ]; then sed 's/^SKIP *: */  /' "$RACION_SKIPS"; else echo "  nothing"; fi
echo "Not built for Windows: the package test (a Debian package), the embedding build (a host"
echo "CMake build), and the print preview under fontconfig's proportional \"monospace\" (fontconfig)."
wineserver -k 2> /dev/null || true
echo
grep -E 'tests passed|tests failed out of' "$log" || echo "CTest ran no test under wine"
exit "$status"
