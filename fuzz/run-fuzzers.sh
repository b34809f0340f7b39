#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a bounded time (default 60 s each, or the
# first argument), starting from a copy of its committed seed corpus. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in build-fuzz/bin/fuzz/commands/Halvane.exe build-fuzz/bin/fuzz_*; do
  [ -x "$target" ] || continue
  case "$target" in */commands/Halvane.exe) name=commands ;; *) name=${target##*/fuzz_} ;; esac
  mkdir -p "$work/$name"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/$name/"
  echo "==== fuzz target $name, $seconds s"
  if "$target" -max_total_time="$seconds" -max_len=9000 -print_final_stats=1 \
       -artifact_prefix="$work/$name-" "$work/$name" >"$work/$name.log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^Done ' "$work/$name.log" || true
  else
    echo "fuzz target $name found a problem:"
    tail -n 60 "$work/$name.log"
    status=1
  fi
done
exit $status
