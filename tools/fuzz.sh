#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a fixed number of executions,
# starting from a copy of its committed seeds (the seeds are never changed).
# Any crash, leak or sanitizer report fails the run. The targets run side by
# side, as many at a time as there are cores (RACION_FUZZ_JOBS to choose):
# each is one process on one core, and each still makes all its runs.
set -euo pipefail
build="$(cd "$1" && pwd)"   # each target runs from a folder of its own
runs="${2:-200000}"
root="$(cd "$(dirname "$0")/.." && pwd)"
at_once="${RACION_FUZZ_JOBS:-$(nproc 2>/dev/null || echo 1)}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

# One target in a folder of its own (where libFuzzer also leaves a crashing
# input); its log and its outcome go beside that folder.
fuzz_one() {
    local target="$1" name work seeds
    name="$(basename "$target")"
    work="$out/$name"
    seeds="$root/fuzz/corpus/${name#fuzz_}"
    mkdir "$work"
    [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
    if (cd "$work" && "$target" -runs="$runs" -max_len=4096 -timeout=10 "$work" >"$out/$name.log" 2>&1); then
        echo clean >"$out/$name.outcome"
    else
        echo failed >"$out/$name.outcome"
    fi
}

names=()
for target in "$build"/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    while [ "$(jobs -rp | wc -l)" -ge "$at_once" ]; do
        wait -n || true
    done
    fuzz_one "$target" &
    names+=("$(basename "$target")")
done
wait

failed=0
passed=0
for name in "${names[@]}"; do
    if [ "$(cat "$out/$name.outcome" 2>/dev/null)" = clean ]; then
        echo "$name: $runs runs, no finding"
        passed=$((passed + 1))
    else
        echo "$name: FAILED"; tail -40 "$out/$name.log"
        failed=$((failed + 1))
    fi
done
echo "fuzz targets: $passed clean, $failed with findings"
[ "$failed" -eq 0 ]
