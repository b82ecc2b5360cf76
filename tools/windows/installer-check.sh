#!/usr/bin/env bash
# The installer under wine, the way a user meets it: installed silently; a
# calculation file in a folder with a Cyrillic name opened by its file type
# (as a double click opens it), which starts the installed program on its own
# database in %LOCALAPPDATA%\racion; then uninstalled, the user's data left.
# Run by CTest in the Windows build (tools/windows/test.sh sets up wine).
set -uo pipefail
out=$1
root="$(cd "$(dirname "$0")/../.." && pwd)"
setup="$(ls "$out"/racion-*-win64-setup.exe 2>/dev/null | head -n1)"
passed=0 failed=0
check() {  # what, then a command that must succeed
    local what=$1
    shift
    if "$@"; then
        echo "ok     $what"; passed=$((passed + 1))
    else
        echo "FAILED $what"; failed=$((failed + 1))
    fi
}
not() { ! "$@" > /dev/null 2>&1; }
reg_query() { wine reg query "$@" 2>/dev/null | iconv -c -f CP866 -t UTF-8; }
waited_for() {  # seconds, then a command polled once a second until it succeeds
    local seconds=$1
    shift
    for ((i = 0; i < seconds; i++)); do "$@" && return 0; sleep 1; done
    return 1
}

[ -n "$setup" ] || { echo "no installer in $out: run tools/setup.sh windows first"; exit 1; }
drive_c="$WINEPREFIX/drive_c"
program="$drive_c/Program Files/Рацион"
link="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Рацион.lnk"
user="$(wine cmd /c 'echo %USERNAME%' 2>/dev/null | tr -d '\r')"
data="$drive_c/users/$user/AppData/Local/racion"
folder="$drive_c/users/$user/Расчеты птицы"
mkdir -p "$folder"
# The two feeds of the test fixture, for a category of the default database and
# within the feeds' limits, so that it opens without a word.
iconv -f CP1251 -t UTF-8 "$root/tests/files/fixtures/calc_two_feeds.kalk" |
    sed 's/Куры-несушки (22-45 нед.)/Бройлеры: старт (1-3 нед.)/; s/^"59,5"/"70"/; s/^"40,5"/"20"/' |
    iconv -f UTF-8 -t CP1251 > "$folder/два корма.kalk"

wine "$setup" /S
wineserver -w
check "installed under Program Files" test -e "$program/racion.exe"
check "a Start-menu entry" test -e "$link"
file_type() { reg_query 'HKLM\Software\Classes\.kalk' /ve | grep -q 'racion\.kalk'; }
opens_with() { reg_query 'HKLM\Software\Classes\racion.kalk\shell\open\command' /ve |
               grep -qF '"C:\Program Files\Рацион\racion.exe" --user-data "%1"'; }
check ".kalk is a calculation" file_type
check "which the installed program opens" opens_with

wine start /unix "$folder/два корма.kalk"
check "started by the file type, it makes its database" waited_for 60 test -e "$data/treba.mdb"
opened() { reg_query 'HKCU\Software\racion\racion\recent' /v kalk | grep -qF 'два корма.kalk'; }
check "and opens the file" waited_for 60 opened
wine taskkill /f /im racion.exe > /dev/null 2>&1
wineserver -w

wine "$program/uninstall.exe" /S
wineserver -w
check "uninstalled: the program's folder goes" waited_for 30 test ! -e "$program"
check "the Start-menu entry goes" test ! -e "$link"
check "the file type goes" not file_type
check "the uninstall entry goes" not wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\racion'

check "the user's database stays" test -e "$data/treba.mdb"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
