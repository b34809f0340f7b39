#!/usr/bin/env bash
# Builds and runs every test: the native suite (warnings as errors) and clang-tidy over it, the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and, when their toolchains and Wine are installed,
# the mingw-w64 Windows build, the Microsoft-ABI release build and its clang-cl twin (the MSVC branch)
# under Wine. The cross builds' suites include the agreement of their numerical results with the
# native build's.
set -euo pipefail
cd "$(dirname "$0")"

run_preset() {
  echo "==== $1 build and tests"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
  ctest --preset "$1"
}

have() { command -v "$1" >/dev/null 2>&1; }
have_wine() { have wine64 || [ -x /usr/lib/wine/wine64 ]; }

run_preset ci
if have clang-tidy; then
  echo "==== clang-tidy"
  tests/clang-tidy.sh build
else
  echo "clang-tidy skipped: it is not installed (install with: apt-get install clang-tidy)"
fi
run_preset asan

if have x86_64-w64-mingw32-g++-posix && have_wine; then
  run_preset windows
else
  echo "Windows (mingw-w64) tests skipped: the mingw-w64 toolchain or Wine is missing (install with: apt-get install g++-mingw-w64-x86-64 wine64)"
fi

if have clang++ && have lld-link && have llvm-rc && have_wine && [ -d /usr/include/wine/wine/msvcrt ] &&
   [ -d /usr/lib/llvm-14/include/c++/v1 ]; then
  run_preset windows-msvc
else
  echo "Windows (Microsoft ABI) release tests skipped: clang, lld, libc++ headers, Wine's development files or Wine are missing (install with: apt-get install clang lld libc++-14-dev libwine-dev wine64)"
fi

# The same build through the MSVC branch of the build files (clang-cl); its agreement output must match
# the windows-msvc build's byte for byte.
if { have clang-cl || have clang-cl-14; } && have lld-link && have llvm-rc && have llvm-mt && have_wine &&
   [ -d /usr/include/wine/wine/msvcrt ] && [ -d /usr/lib/llvm-14/include/c++/v1 ]; then
  run_preset windows-clang-cl
else
  echo "Windows (clang-cl, MSVC branch) tests skipped: clang-cl, lld, llvm-rc, llvm-mt, libc++ headers, Wine's development files or Wine are missing (install with: apt-get install clang-tools-14 lld llvm libc++-14-dev libwine-dev wine64)"
fi
