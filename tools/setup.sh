#!/usr/bin/env bash
# Sets up a Debian 12 machine for this program and then either starts it
# ("run") or runs every test ("test"). Installs only what is missing.
set -euo pipefail

mode="${1:-run}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${RACION_BUILD_DIR:-$root/build}"

packages=(g++ cmake ninja-build pkg-config
          qt6-base-dev libqt6sql6-sqlite qt6-qpa-plugins libgl-dev
          fonts-dejavu-core glpk-utils libglpk-dev
          dpkg-dev file desktop-file-utils appstream)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

case "$mode" in
run)
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build"
    # The program keeps treba.mdb in the folder it is started from.
    mkdir -p "$HOME/Рацион"
    cd "$HOME/Рацион"
    exec "$build/racion"
    ;;
test)
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build"
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
