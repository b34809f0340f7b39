#!/usr/bin/env bash
# Times the special functions of an earlier commit against the working tree in one process: both
# versions of numerics/ are compiled into one program under two namespace names, and it alternates
# batches of calls. Two binaries timed in turn see different machine states; one program sees the same.
# usage: bench/compare_commits.sh COMMIT [ROUNDS]   (g++ and git; the release flags of the library)
set -euo pipefail
cd "$(dirname "$0")/.."
commit=${1:?usage: bench/compare_commits.sh COMMIT [ROUNDS]}
rounds=${2:-2000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/before"
git archive "$commit" numerics | tar -x -C "$work/before"

flags=(-O2 -DNDEBUG -ffp-contract=off -fno-math-errno -fno-exceptions -std=c++17)
objects=()
for side in before after; do
  root=$work/before
  [ "$side" = after ] && root=$PWD
  for source in "$root"/numerics/specfun.cpp "$root"/numerics/elementary_*.cpp; do
    [ -f "$source" ] || continue
    object=$work/${side}_$(basename "$source" .cpp).o
    g++ "${flags[@]}" -I"$root" -Dnumerics="numerics_$side" -c "$source" -o "$object"
    objects+=("$object")
  done
done
g++ "${flags[@]}" bench/compare_commits.cpp "${objects[@]}" -o "$work/compare"

# One core, when taskset is there, so that the two versions never run on different cores.
if command -v taskset >/dev/null 2>&1; then
  taskset -c 0 "$work/compare" "$rounds"
else
  "$work/compare" "$rounds"
fi
