#!/usr/bin/env bash
# The closing count of the end-to-end suite: runs after every other end-to-end test (ctest
# DEPENDS), lists their scenarios and ends with "N passed, N failed". A test that left no
# results (it crashed or hung before reporting) counts as one failed scenario.
set -uo pipefail
build=${BREVDUVA_BUILD_DIR:-$(dirname "$(realpath "$1")")}
source_dir=${BREVDUVA_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
results="$build/e2e/results"
passed=0
failed=0

for script in "$source_dir"/tests/e2e/test_*.sh; do
    name=$(basename "$script" .sh)
    [ "$name" = test_summary ] && continue
    if [ ! -s "$results/$name" ]; then
        echo "FAIL $name: left no results"
        failed=$((failed + 1))
        continue
    fi
    cat "$results/$name"
    passed=$((passed + $(grep -c '^PASS ' "$results/$name")))
    failed=$((failed + $(grep -c '^FAIL ' "$results/$name")))
done
# the next run starts from nothing, so no result of this one can pass for one of the next
rm -rf "$results"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
