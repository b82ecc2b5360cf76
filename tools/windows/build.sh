#!/usr/bin/env bash
# Builds the program for 64-bit Windows on Debian 12 from Debian's own
# packages: Qt and GLPK are cross-built with mingw-w64 from Debian's source
# packages once per machine and kept in a cache folder outside the checkout;
# then the program is cross-built into build-windows/ and packed as a folder
# that runs as it is, a zip and an NSIS installer.
# Called by `tools/setup.sh windows`, which installs the packages first.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
here="$root/tools/windows"
out="${RACION_WINDOWS_BUILD_DIR:-$root/build-windows}"
triplet=x86_64-w64-mingw32
jobs="${RACION_JOBS:-$(nproc)}"

qt_version=6.4.2
qt_configure=(-release -shared -xplatform win32-g++ -device-option CROSS_COMPILE=$triplet-
    -qt-host-path /usr -nomake tests -nomake examples -no-opengl -no-dbus -no-icu
    -qt-zlib -qt-libpng -no-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre -qt-doubleconversion
    -sql-sqlite -qt-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql -no-sql-ibase -no-sql-oci
    -no-sql-db2 -no-openssl -no-feature-concurrent -no-feature-xml -no-feature-tabletevent
    -no-feature-direct2d)
glpk_configure=(--host=$triplet CC=$triplet-gcc-posix CPPFLAGS=-D__WOE__ LIBS=-luser32)

# The cache folder is named by what goes into the build, so a changed
# configure line or patch builds afresh beside the old one.
key="$( { echo "${qt_configure[*]}"; echo "${glpk_configure[*]}";
          cat "$here/qt-direct2d-guard.patch" "$here/mingw-toolchain.cmake"; } | sha256sum | cut -c1-10)"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/racion-windows/$qt_version-$key"
qt="$cache/qt"
glpk="$cache/glpk"
mkdir -p "$cache"

started=$SECONDS
step_started=$SECONDS
report=()
step() { step_started=$SECONDS; echo; echo "== $*"; }
done_step() {
    local took=$((SECONDS - step_started))
    report+=("$(printf '%-44s %3d min %02d s' "$1" $((took / 60)) $((took % 60)))")
    echo "${report[-1]}"
}

# Runs a build function in a fresh work folder, its output in a log; a
# failure ends the script with the log's tail. The folder goes afterwards.
logged_build() {  # name log function
    local name=$1 log=$2 body=$3 work="$cache/work-$3" rc
    rm -rf "$work"
    mkdir -p "$work"
    set +e
    (set -e; cd "$work"; "$body") > "$log" 2>&1
    rc=$?; set -e
    [ "$rc" -eq 0 ] || { echo "$name's build failed; see $log" >&2; tail -n 30 "$log" >&2; exit 1; }
    rm -rf "$work"
}

build_qt() {
    apt-get source qt6-base sqlite3
    # Debian's Qt has its SQLite removed: make the single-file source anew.
    sqlite_src="$(find . -maxdepth 1 -type d -name 'sqlite3-*' | head -n1)"
    (cd "$sqlite_src" && ./configure --disable-tcl && make sqlite3.c)
    qt_src="$(find . -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)"
    mkdir -p "$qt_src/src/3rdparty/sqlite"
    cp "$sqlite_src"/sqlite3.c "$sqlite_src"/sqlite3.h "$sqlite_src"/sqlite3ext.h "$qt_src/src/3rdparty/sqlite/"
    (cd "$qt_src" && patch -p1 < "$here/qt-direct2d-guard.patch")
    mkdir -p build && cd build
    "../$qt_src/configure" -prefix "$qt" "${qt_configure[@]}" -- -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$cache/mingw-toolchain.cmake" -DQT_MINGW_PREFIX="$qt" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    ninja -j"$jobs"
    cmake --install .
}

build_glpk() {
    # The original tarball: Debian's patches take out the zlib, AMD and
    # COLAMD that GLPK carries, which mingw has nothing to replace with.
    apt-get source --download-only glpk
    tar xzf glpk_*.orig.tar.gz
    cd glpk-*/
    ./configure --prefix="$glpk" "${glpk_configure[@]}"
    make -j"$jobs"
    make install
}

# --- Qt --------------------------------------------------------------------
if [ ! -e "$qt/.complete" ]; then
    step "Qt $qt_version for mingw-w64 (log: $cache/qt-build.log; about 25 minutes on 2 cores)"
    rm -rf "$qt"
    cp "$here/mingw-toolchain.cmake" "$cache/mingw-toolchain.cmake"
    logged_build Qt "$cache/qt-build.log" build_qt
    mkdir -p "$qt/translations"
    cp /usr/share/qt6/translations/qtbase_ru.qm /usr/share/qt6/translations/qt_ru.qm "$qt/translations/"
    touch "$qt/.complete"
    done_step "Qt $qt_version built"
else
    echo "Qt $qt_version for mingw-w64: reused from $qt"
fi

# --- GLPK ------------------------------------------------------------------
if [ ! -e "$glpk/.complete" ]; then
    step "GLPK for mingw-w64 (log: $cache/glpk-build.log)"
    rm -rf "$glpk"
    logged_build GLPK "$cache/glpk-build.log" build_glpk
    touch "$glpk/.complete"
    done_step "GLPK built"
else
    echo "GLPK for mingw-w64: reused from $glpk"
fi

# --- the program -----------------------------------------------------------
step "The program, cross-built into $out"
# Debian's rcc (the host's) packs resources with zstd, which this Qt cannot unpack.
"$qt/bin/qt-cmake" -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DRACION_BUILD_TESTS=ON -DRACION_BUILD_BENCH=OFF -DRACION_JET=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$here/wine-test.sh" \
    -DCMAKE_AUTORCC_OPTIONS=--no-zstd \
    -DQT_MINGW_PREFIX="$qt;$glpk" \
    -DCMAKE_CXX_FLAGS="-I$glpk/include" -DCMAKE_EXE_LINKER_FLAGS="-L$glpk/lib"
cmake --build "$out" -j"$jobs" --target racion
echo "$cache" > "$out/qt-cache-folder"   # for tools/windows/test.sh
done_step "Program built"

version="$(sed -n 's/^project(racion VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
name="racion-$version-win64"
dist="$out/$name"

step "The folder $dist"
rm -rf "$dist"
mkdir -p "$dist/plugins/platforms" "$dist/plugins/sqldrivers" "$dist/plugins/styles" "$dist/translations"
cp "$out/racion.exe" "$dist/"
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6Sql Qt6PrintSupport Qt6Network; do
    cp "$qt/bin/$dll.dll" "$dist/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$qt/plugins/platforms/qoffscreen.dll" "$dist/plugins/platforms/"
cp "$qt/plugins/sqldrivers/qsqlite.dll" "$dist/plugins/sqldrivers/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$dist/plugins/styles/"
cp "$qt/translations/qtbase_ru.qm" "$qt/translations/qt_ru.qm" "$dist/translations/"
cp "$glpk/bin/libglpk-40.dll" "$dist/"
# The mingw runtime the program and Qt were built with.
for dll in libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll; do
    found="$($triplet-g++-posix -print-file-name="$dll")"
    [ -e "$found" ] || found="$(find /usr/lib/gcc/$triplet /usr/$triplet/lib -name "$dll" -path '*posix*' | head -n1)"
    [ -e "$found" ] || found="$(find /usr/lib/gcc/$triplet /usr/$triplet/lib -name "$dll" | head -n1)"
    cp "$found" "$dist/"
done
cp "$root/resources/Readme.hlp" "$dist/"
cp "$root/resources/windows/racion.ico" "$dist/"
printf '[Paths]\nPrefix=.\n' > "$dist/qt.conf"
$triplet-strip --strip-unneeded "$dist"/*.exe "$dist"/*.dll "$dist"/plugins/*/*.dll
done_step "Folder assembled ($(du -sh "$dist" | cut -f1))"

step "The zip"
rm -f "$out/$name.zip"
(cd "$out" && zip -qr9 "$name.zip" "$name")
done_step "Zip made ($(du -h "$out/$name.zip" | cut -f1))"

step "The installer"
rm -f "$out/$name-setup.exe"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSOURCE="$dist" \
    -DOUTFILE="$out/$name-setup.exe" "$here/installer.nsi"
done_step "Installer made ($(du -h "$out/$name-setup.exe" | cut -f1))"

echo
echo "Qt and GLPK for mingw-w64: $cache"
echo "The folder:    $dist"
echo "The zip:       $out/$name.zip"
echo "The installer: $out/$name-setup.exe"
echo
printf '%s\n' "${report[@]}"
total=$((SECONDS - started))
printf '%-44s %3d min %02d s\n' "Altogether" $((total / 60)) $((total % 60))
