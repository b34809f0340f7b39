// Runs a check once on each lane path of the numerical library that this machine supports (portable,
// SSE2, AVX2), so that a bit-for-bit comparison covers every path, not only the one chosen at run time.
#pragma once

#include <gtest/gtest.h>

#include "numerics/simd.h"

namespace test_support {

inline const char* simd_path_name(numerics::detail::SimdPath path) {
  switch (path) {
    case numerics::detail::SimdPath::portable:
      return "portable";
    case numerics::detail::SimdPath::sse2:
      return "SSE2";
    case numerics::detail::SimdPath::avx2:
      return "AVX2";
  }
  return "?";
}

// Calls check() with each supported path forced, then restores the path chosen at start-up; returns
// how many paths ran.
template <typename Check>
int on_every_simd_path(Check check) {
  using numerics::detail::SimdPath;
  const SimdPath chosen = numerics::detail::simd_path();
  int ran = 0;
  for (SimdPath path : {SimdPath::portable, SimdPath::sse2, SimdPath::avx2}) {
    if (!numerics::detail::simd_path_supported(path)) continue;
    numerics::detail::force_simd_path(path);
    SCOPED_TRACE(simd_path_name(path));
    check();
    ++ran;
  }
  numerics::detail::force_simd_path(chosen);
  return ran;
}

}  // namespace test_support
