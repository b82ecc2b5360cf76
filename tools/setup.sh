#!/usr/bin/env bash
# Sets up a Debian 12 machine for this program and then either starts it
# ("run") or runs every test ("test"). Installs only what is missing.
set -euo pipefail

mode="${1:-run}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RACION_BUILD_DIR:-$root/build}"

packages=(g++ cmake ninja-build pkg-config
          qt6-base-dev libqt6sql6-sqlite qt6-qpa-plugins qt6-translations-l10n libgl-dev
          fonts-dejavu-core glpk-utils libglpk-dev mdbtools-dev
          dpkg-dev file desktop-file-utils appstream shared-mime-info)
# The test run also builds with the sanitizers and fuzzes with libFuzzer (clang).
[ "$mode" = test ] && packages+=(clang libclang-rt-14-dev)
# The screens are also checked under a style with wide frames and paddings.
[ "$mode" = test ] && packages+=(adwaita-qt6)
# The Windows build (the test run builds it too): mingw-w64, Qt's and GLPK's
# sources, wine to test it in a Russian locale, NSIS.
[ "$mode" = windows ] || [ "$mode" = test ] && packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
                                    mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
                                    wine64 wine xvfb nsis zip tcl make patch locales)

# The README's picture of the Windows build: wine's own fonts, a screen grab.
[ "$mode" = windows ] && packages+=(fonts-wine imagemagick python3)

missing=()
for p in "${packages[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
# Qt and GLPK for Windows are built from Debian's source packages.
debsrc=/etc/apt/sources.list.d/racion-deb-src.sources
if [ "$mode" != run ] && [ ! -e "$debsrc" ] &&
   ! grep -rqsE '^(Types: .*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        "${sudo_cmd[@]}" tee "$debsrc" > /dev/null
    "${sudo_cmd[@]}" apt-get update
fi
if [ "${#missing[@]}" -gt 0 ]; then
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [ "$mode" = test ] && ! locale -a | grep -qix 'ru_RU.utf8'; then
    "${sudo_cmd[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi

case "$mode" in
run)
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" --target racion
    # The program keeps treba.mdb in the folder it is started from.
    mkdir -p "$HOME/Рацион"
    cd "$HOME/Рацион"
    exec "$build/racion"
    ;;
test)
    export QT_QPA_PLATFORM=offscreen
    # 1. Each fuzz target for a fixed number of runs from its committed seeds.
    CXX=clang++ cmake -S "$root" -B "$build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRACION_FUZZ=ON \
        -DRACION_BUILD_TESTS=OFF -DRACION_BUILD_BENCH=OFF
    cmake --build "$build-fuzz"
    "$root/tools/fuzz.sh" "$build-fuzz" "${RACION_FUZZ_RUNS:-200000}"
    # 2. Every test under AddressSanitizer and UndefinedBehaviorSanitizer.
    cmake -S "$root" -B "$build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRACION_SANITIZE=ON -DRACION_BUILD_BENCH=OFF
    cmake --build "$build-asan"
    (cd "$build-asan" &&
     ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
     LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0" \
     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     ctest --output-on-failure)
    # 3. The release build and every test, the package included.
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build"
    (cd "$build" && ctest --output-on-failure)
    # 4. The Windows build (its Qt built once per machine and kept), and every
    #    test of it under wine, the installer included.
    "$root/tools/windows/build.sh"
    "$root/tools/windows/test.sh"
    ;;
windows)
    exec "$root/tools/windows/build.sh"
    ;;
*)
    echo "usage: $0 run|test|windows" >&2
    exit 2
    ;;
esac
