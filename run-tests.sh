#!/usr/bin/env bash
# Builds and runs every test: the native suite (warnings as errors) and clang-tidy over it, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and, when their toolchains and Wine are installed,
# the mingw-w64 Windows build, the Microsoft-ABI release build and its clang-cl twin (the MSVC branch)
# under Wine. The cross builds' suites include the agreement of their numerical results with the
# native build's (the ci preset's).
set -euo pipefail
cd "$(dirname "$0")"

# Configures, builds and tests a preset. A cross toolchain file stops the configuration with a line
# "missing tools: ..." when a tool it needs is not installed: that build is then reported as skipped.
run_preset() {
  echo "==== $1 build and tests"
  local log
  log=$(mktemp)
  if ! cmake --preset "$1" >"$log" 2>&1; then
    if grep -q '^missing tools: ' "$log"; then
      echo "$1 tests skipped: $(grep '^missing tools: ' "$log")"
      rm -f "$log"
      return 0
    fi
    cat "$log"
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
  cmake --build --preset "$1"
  ctest --preset "$1"
}

run_preset ci
if command -v clang-tidy >/dev/null 2>&1; then
  echo "==== clang-tidy"
  tests/clang-tidy.sh build-ci
else
  echo "clang-tidy skipped: it is not installed (install with: apt-get install clang-tidy)"
fi
run_preset asan
run_preset windows
run_preset windows-msvc
# The same build through the MSVC branch of the build files (clang-cl); its agreement output must match
# the windows-msvc build's byte for byte.
run_preset windows-clang-cl
