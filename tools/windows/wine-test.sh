#!/usr/bin/env bash
# Runs one Windows test program under wine for CTest. A Windows test program
# writes its report to a file: the texts it makes itself in the ANSI code page
# (cp1251 in a Russian locale), the test's own source lines in UTF-8. It is
# printed here in UTF-8 once the program ends, and its skips are added to the
# file RACION_SKIPS names. The wine prefix, the DLL path, the fonts and the
# locale come from tools/windows/test.sh.
set -uo pipefail
exe=$1
shift
report="$(mktemp --suffix=.txt)"
trap 'rm -f "$report"' EXIT
wine "$exe" "$@" -o "$(winepath -w "$report"),txt"
rc=$?
perl -MEncode -ne 'my $l = $_;
    print eval { decode("UTF-8", $l, Encode::FB_CROAK); 1 } ? $_ : encode("UTF-8", decode("cp1251", $_))' "$report" |
    tee >(grep -a '^SKIP' >> "${RACION_SKIPS:-/dev/null}")
exit "$rc"
