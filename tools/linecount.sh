#!/bin/bash
# Non-blank, non-comment lines of the program (src/) and of its tests
# (tests/, generated fixtures left out): the two figures the test suite's
# size is judged by. Run from anywhere: tools/linecount.sh
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
    # C++: // comments and lines inside /* */ dropped; shell and CMake: # comments.
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name 'CMakeLists.txt' \) \
        -not -path '*/fixtures/*' -print0 | sort -z | xargs -0 cat |
        sed -e 's#^\s*//.*$##' -e 's#\s//\s.*$##' -e '/^\s*\/\*/,/\*\//d' -e 's/^\s*#[^a-z!].*$//' -e 's/^\s*#$//' |
        grep -cv '^\s*$'
}
src=$(count src)
tests=$(count tests)
echo "src   $src"
echo "tests $tests ($((100 * tests / src)) % of src; at most $((src / 3)) for a third)"
