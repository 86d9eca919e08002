#!/usr/bin/env bash
# The closing count of the end-to-end suite: runs after every other end-to-end test (ctest
# DEPENDS), lists their scenarios and ends with "N passed, N failed". A test that left no
# results (it crashed or hung before reporting) counts as one failed scenario. The list is also
# kept in build/e2e/summary.txt, for a run script that wants to show it last.
set -uo pipefail
build=${BREVDUVA_BUILD_DIR:-$(dirname "$(realpath "$1")")}
source_dir=${BREVDUVA_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
results="$build/e2e/results"
summary="$build/e2e/summary.txt"

scenarios() {
    local script name
    for script in "$source_dir"/tests/e2e/test_*.sh; do
        name=$(basename "$script" .sh)
        [ "$name" = test_summary ] && continue
        if [ -s "$results/$name" ]; then
            cat "$results/$name"
        else
            echo "FAIL $name: left no results"
        fi
    done
}

mkdir -p "$build/e2e"
scenarios >"$summary"
failed=$(grep -c '^FAIL ' "$summary")
echo "$(grep -c '^PASS ' "$summary") passed, $failed failed" >>"$summary"
cat "$summary"
# the next run starts from nothing, so no result of this one can pass for one of the next
rm -rf "$results"
[ "$failed" -eq 0 ]
