#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a fixed number of executions,
# starting from a copy of its committed seeds (the seeds are never changed).
# Any crash, leak or sanitizer report fails the run.
set -euo pipefail
build="$1"
runs="${2:-200000}"
root="$(cd "$(dirname "$0")/.." && pwd)"
failed=0
passed=0
for target in "$build"/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name="$(basename "$target")"
    seeds="$root/fuzz/corpus/${name#fuzz_}"
    work="$(mktemp -d)"
    [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
    if (cd "$work" && "$target" -runs="$runs" -max_len=4096 -timeout=10 "$work" >"$work/../$name.log" 2>&1); then
        echo "$name: $runs runs, no finding"
        passed=$((passed + 1))
    else
        echo "$name: FAILED"; tail -40 "$work/../$name.log"
        failed=$((failed + 1))
    fi
    rm -rf "$work" "$work/../$name.log"
done
echo "fuzz targets: $passed clean, $failed with findings"
[ "$failed" -eq 0 ]
