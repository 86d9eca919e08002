#!/usr/bin/env bash
# Pushes more generated hostile RTF through the guard into the real control than a test run
# does: seeds FIRST to LAST, FILES files each, in a build folder of your own.
#   BUILD=build/dev-NAME scripts/rtf-attack.sh [FIRST [LAST [FILES]]]
# A file that ends the program or keeps it busy past the budget is named by its seed and number
# (a slow one is also kept beside the test's document as prov.rtf.N.slow).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
first=${1:-1} last=${2:-20} files=${3:-5000}
export BREVDUVA_SOURCE_DIR=$root BREVDUVA_RTF_FILES=$files
failed=0
for seed in $(seq "$first" "$last"); do
  if BREVDUVA_RTF_SEED=$seed "$root/scripts/dev-test.sh" test_rtf_generated \
       --gtest_filter=RtfGenerated.NoGeneratedFile* >"/tmp/rtf-attack-$seed.log" 2>&1; then
    echo "seed $seed: $(grep -o '[0-9]* files, the slowest [0-9]* ms' "/tmp/rtf-attack-$seed.log")"
  else
    echo "seed $seed: FAILED, see /tmp/rtf-attack-$seed.log"
    failed=1
  fi
done
exit $failed
