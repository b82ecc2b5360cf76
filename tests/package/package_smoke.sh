#!/usr/bin/env bash
# Builds the .deb, validates its desktop entry and metainfo, unpacks it into a
# temporary root and starts the unpacked program offscreen in an empty folder:
# it must create its default treba.mdb and still be running a few seconds later.
set -euo pipefail

build="$1"
tmp="$(mktemp -d)"
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

cd "$build"
cpack -G DEB -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; exit 1; }
deb="$(ls "$tmp"/pkg/racion_*.deb)"
echo "package: $(basename "$deb")"
dpkg-deb -I "$deb" | grep -E '^ (Package|Version|Depends):'
for dep in libqt6sql6-sqlite qt6-translations-l10n; do
    dpkg-deb -I "$deb" | grep -q "$dep" || { echo "the package does not depend on $dep"; exit 1; }
done

dpkg-deb -x "$deb" "$tmp/root"
for f in usr/bin/racion usr/share/racion/Readme.hlp \
         usr/share/applications/ru.racion.Racion.desktop \
         usr/share/metainfo/ru.racion.Racion.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/ru.racion.Racion.svg \
         usr/share/icons/hicolor/48x48/apps/ru.racion.Racion.png; do
    [ -e "$tmp/root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
entry="$tmp/root/usr/share/applications/ru.racion.Racion.desktop"
desktop-file-validate "$entry"
# Docks match the window to the entry by its class (the program's name under X11).
grep -qx 'StartupWMClass=racion' "$entry" || { echo "the desktop entry lacks StartupWMClass=racion"; exit 1; }
appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/ru.racion.Racion.metainfo.xml"

mkdir "$tmp/work"
cd "$tmp/work"
QT_QPA_PLATFORM=offscreen "$tmp/root/usr/bin/racion" >"$tmp/run.log" 2>&1 &
pid=$!
for _ in 1 2 3 4 5 6 7 8 9 10; do
    [ -s treba.mdb ] && break
    sleep 0.5
done
sleep 3
if ! kill -0 "$pid" 2>/dev/null; then
    echo "the unpacked program did not keep running"; cat "$tmp/run.log"; exit 1
fi
[ "$(head -c 15 treba.mdb)" = "SQLite format 3" ] || { echo "no default treba.mdb was created"; exit 1; }
echo "the unpacked program started, created treba.mdb and kept running"
