#!/usr/bin/env bash
# Draws the worksheet of the Windows build for the README: the folder built by
# tools/windows/build.sh, under wine with its windows platform plug-in on Xvfb,
# in a Russian locale with wine's own Tahoma and font smoothing on, the
# broiler-starter ration of the Linux picture opened from a calculation file.
# Usage: tools/windows/screenshot.sh docs/screenshots/worksheet-windows.png
# Needs the packages of `tools/setup.sh windows` and python3.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out_png="$(realpath "${1:?usage: $0 OUT.png}")"
folder="$(ls -d "${RACION_WINDOWS_BUILD_DIR:-$root/build-windows}"/racion-*-win64 | head -n1)"
work="$(mktemp -d)"
trap 'wineserver -k 2> /dev/null; kill "$xvfb" 2> /dev/null; rm -rf "$work"' EXIT

python3 - "$root/resources/data" "$work/бройлеры.kalk" <<'PY'
import csv, sys
data, out = sys.argv[1:]
basa = {r[0]: r for r in csv.reader(open(f"{data}/basa.csv", encoding="utf-8"))}
kurwi = {r[0]: r for r in csv.reader(open(f"{data}/kurwi.csv", encoding="utf-8"))}
feeds = [("Кукуруза", "59,49"), ("Пшеница", "0,00"), ("Шрот соевый", "27,46"), ("Мука рыбная", "8,00"),
         ("Масло подсолнечное", "2,06"), ("Известняк (известняковая мука)", "1,12"), ("Монокальцийфосфат", "0,51"),
         ("Соль поваренная", "0,36"), ("Премикс для бройлеров и родительского стада 1%", "1,00")]
category = "Бройлеры: старт (1-3 нед.)"
q = lambda t: '"' + t + '"'
lines = [str(len(feeds) - 1), q(category)]
for name, _ in feeds:
    lines += [q(name)] * 6
for name, _ in feeds:
    r = basa[name]
    lines += [q(r[0])] + r[1:10] + [q(r[10])]
lines += [q(category)] + kurwi[category][1:10] + [q(w) for _, w in feeds]
open(out, "wb").write("".join(l + "\r\n" for l in lines).encode("cp1251"))
PY

export WINEPREFIX="$work/wine" WINEDEBUG=-all LANG=ru_RU.UTF-8 DISPLAY=:97
size=1180x880
Xvfb "$DISPLAY" -screen 0 ${size}x24 > /dev/null 2>&1 &
xvfb=$!
HOME="$work" wineboot -i > /dev/null 2>&1
cp /usr/share/wine/fonts/{tahoma,tahomabd,marlett}.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothing /d 2 /f > /dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v FontSmoothingType /t REG_DWORD /d 2 /f > /dev/null 2>&1
wineserver -w
cd "$work"
wine explorer /desktop=racion,$size "$(winepath -w "$folder/racion.exe")" бройлеры.kalk > /dev/null 2>&1 &
sleep 20
# The whole screen is wine's desktop: the window is what is left when its colour is trimmed.
import -window root "$work/screen.png"
convert "$work/screen.png" -trim +repage "$out_png"
echo "$out_png: $(identify -format '%wx%h' "$out_png")"
