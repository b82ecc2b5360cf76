#!/usr/bin/env bash
# Builds the .deb, validates its desktop entry, metainfo and the calculation
# files' MIME type, unpacks it into a temporary root and starts the unpacked
# program offscreen twice: from a terminal in an empty folder, and as the
# desktop entry starts it: each time it must create its default treba.mdb in
# the right folder and still be running a few seconds later.
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
# The output is taken whole before it is searched: a reader that stops early
# would kill the writer with SIGPIPE and, under pipefail, fail the check.
info="$(dpkg-deb -I "$deb")"
grep -E '^ (Package|Version|Depends):' <<<"$info"
for dep in libqt6sql6-sqlite qt6-translations-l10n libglpk; do
    grep -q "$dep" <<<"$info" || { echo "the package does not depend on $dep"; exit 1; }
done

dpkg-deb -x "$deb" "$tmp/root"
for f in usr/bin/racion usr/share/racion/Readme.hlp \
         usr/share/applications/ru.racion.Racion.desktop \
         usr/share/metainfo/ru.racion.Racion.metainfo.xml \
         usr/share/mime/packages/ru.racion.Racion.xml \
         usr/share/icons/hicolor/scalable/apps/ru.racion.Racion.svg \
         usr/share/icons/hicolor/48x48/apps/ru.racion.Racion.png; do
    [ -e "$tmp/root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
entry="$tmp/root/usr/share/applications/ru.racion.Racion.desktop"
desktop-file-validate "$entry"
# Docks match the window to the entry by its class (the program's name under X11).
grep -qx 'StartupWMClass=racion' "$entry" || { echo "the desktop entry lacks StartupWMClass=racion"; exit 1; }
appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/ru.racion.Racion.metainfo.xml"


# The MIME type as the desktop's MIME database takes it in, and the desktop
# entry's claim on it: a calculation file opens in the program from the file
# manager, which passes its name (%f); the program then keeps its database in
# the user's data folder.
desktop="$entry"
mkdir -p "$tmp/mime/packages"
cp "$tmp/root/usr/share/mime/packages/ru.racion.Racion.xml" "$tmp/mime/packages/"
update-mime-database "$tmp/mime" >"$tmp/mime.log" 2>&1 || { cat "$tmp/mime.log"; exit 1; }
type="$(sed -n 's/^\([^:]*\):\([^:]*\):\*\.kalk$/\2/p' "$tmp/mime/globs2")"
[ -n "$type" ] || { echo "the MIME file gives *.kalk no type"; cat "$tmp/mime.log"; exit 1; }
grep -qx "MimeType=$type;" "$desktop" || { echo "the desktop entry does not claim $type"; exit 1; }
exec_line="$(sed -n 's/^Exec=//p' "$desktop")"
[ "$exec_line" = "racion --user-data %f" ] || { echo "unexpected Exec line: $exec_line"; exit 1; }
echo "*.kalk is $type; the desktop entry opens it with: $exec_line"

# Starts the unpacked program in folder $1 with the other arguments, and waits
# until treba.mdb appears in folder $2; the program must keep running.
start_and_check() {
    local cwd="$1" dbdir="$2"
    shift 2
    (cd "$cwd" && exec env QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$tmp/data" \
        "$tmp/root/usr/bin/racion" "$@") >"$tmp/run.log" 2>&1 &
    pid=$!
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        [ -s "$dbdir/treba.mdb" ] && break
        sleep 0.5
    done
    sleep 3
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "the unpacked program did not keep running ($*)"; cat "$tmp/run.log"; exit 1
    fi
    kill "$pid"; wait "$pid" 2>/dev/null || true
    pid=""
    [ "$(head -c 15 "$dbdir/treba.mdb")" = "SQLite format 3" ] || { echo "no default treba.mdb in $dbdir ($*)"; exit 1; }
}

mkdir "$tmp/work" "$tmp/home"
start_and_check "$tmp/work" "$tmp/work"
echo "from a terminal: the unpacked program created treba.mdb in the folder it was started in"
start_and_check "$tmp/home" "$tmp/data/racion" --user-data
[ ! -e "$tmp/home/treba.mdb" ] || { echo "--user-data still made treba.mdb in the starting folder"; exit 1; }
echo "as the desktop starts it: treba.mdb is in the user's data folder"
