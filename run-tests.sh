#!/usr/bin/env bash
# Builds and runs every test: the native suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and, when the mingw-w64 toolchain and Wine are installed, the Windows
# build under Wine followed by the cross-build agreement check of the numerical library.
set -euo pipefail
cd "$(dirname "$0")"

werror=-DTARVEL_WERROR=ON

run_preset() {
  echo "==== $1 build and tests"
  cmake --preset "$1" "$werror" >/dev/null
  cmake --build --preset "$1"
  ctest --preset "$1"
}

run_preset default
run_preset asan

if command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 &&
   { command -v wine64 >/dev/null 2>&1 || [ -x /usr/lib/wine/wine64 ]; }; then
  run_preset windows
  echo "==== cross-build agreement (native against Windows under Wine)"
  build/bin/agreement >build/agreement-native.txt
  cmake/wine-run.sh build-windows/bin/agreement.exe >build-windows/agreement-windows.txt
  build/bin/compare_agreement build/agreement-native.txt build-windows/agreement-windows.txt
else
  echo "Windows tests skipped: the mingw-w64 toolchain or Wine is missing (install with: apt-get install g++-mingw-w64-x86-64 wine64)"
fi
