#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every project source listed in
# BUILD_DIR/compile_commands.json (configure that build first; every preset exports the file) and
# exits non-zero on any finding. The checks are errors here, so a finding fails the run.
#   tests/clang-tidy.sh build          CLANG_TIDY=clang-tidy-14 JOBS=2 tests/clang-tidy.sh build
set -euo pipefail
build=${1:?usage: tests/clang-tidy.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
database="$build/compile_commands.json"
if [ ! -f "$database" ]; then
  echo "no $database: configure the build first (cmake --preset NAME)" >&2
  exit 2
fi
tidy=${CLANG_TIDY:-clang-tidy}

# The project's own sources: below the source tree, outside every build tree.
mapfile -t files < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database" | sort -u |
  grep "^$root/\(numerics\|plugin\|host\|tests\|fuzz\|bench\)/")
if [ "${#files[@]}" -eq 0 ]; then
  echo "no project sources in $database" >&2
  exit 2
fi

echo "clang-tidy over ${#files[@]} sources of $database"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\0' "${files[@]}" |
  xargs -0 -n 1 -P "${JOBS:-2}" "$tidy" -p "$build" --quiet --warnings-as-errors='*' >"$log" 2>&1 || status=1
# Only the findings: clang-tidy also reports how many warnings it suppressed in other code.
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^$' "$log" || true
if [ "$status" -ne 0 ]; then
  echo "clang-tidy: findings above" >&2
  exit 1
fi
echo "clang-tidy: no findings"
