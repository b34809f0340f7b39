#!/usr/bin/env bash
# Runs the native test suite (build-ci/, from the ci preset) under valgrind memcheck: any memory
# error or definitely lost block fails the test it occurs in. Death tests are left out: their child
# processes end through the library's fatal exit by design, with their blocks still allocated. So are
# the validator's own run and its lifecycle stress runs: they judge the resident memory of the real
# allocator, which valgrind replaces (the validator's run against the faulty module goes through the
# same code and stays in).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-ci}
valgrind=$(command -v valgrind) || { echo "memcheck: valgrind is not installed (apt-get install valgrind)"; exit 1; }

# The accuracy cases draw 10^6 arguments each natively; under valgrind a few thousand show the same
# memory behaviour.
export TARVEL_ACCURACY_SAMPLES=${TARVEL_ACCURACY_SAMPLES:-4096}
# The elementary functions' comparisons with MPFR are left out too: a million multiple-precision
# evaluations under valgrind would take most of an hour, and test_elementary runs the same library code.
ctest --test-dir "$build" -T memcheck -j2 \
  -E "DeathTest|^validator$|^validator_(lifecycle|load)_stress$|^elementary_(sweep|accuracy)\.sample$" "${@:2}" \
  --overwrite "MemoryCheckCommand=$valgrind" \
  --overwrite "MemoryCheckCommandOptions=--leak-check=full --errors-for-leak-kinds=definite --error-exitcode=99 --num-callers=30" \
  | tee "$build/memcheck.log" | grep -vE '^ +Start |MemCheck #[0-9]+: .* Passed'
# ctest lists the defects it found after this line; nothing below it means a clean run.
if sed -n '/^Memory checking results:/,$p' "$build/memcheck.log" | grep -qE '[A-Za-z].* - [0-9]+'; then
  echo "memcheck: defects found (see $build/Testing/Temporary/MemoryChecker.*.log)"
  exit 1
fi
echo "memcheck: no memory errors and no definitely lost blocks"
