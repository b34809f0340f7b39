// Runs a check once on each lane path of the numerical library that this machine supports (portable,
// SSE2, AVX2), so that a bit-for-bit comparison covers every path, not only the one chosen at run time;
// and compares a routine's fast form with its plain step order that way.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "numerics/simd.h"
#include "support/bordered.h"

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

namespace test_support {

// The fast form of a routine against its plain step order (numerics::reference): `reference()` and
// `fast()` each run their routine on fresh copies of the same inputs and return every output value
// as one vector; on each supported lane path the fast outputs must equal the reference outputs bit
// for bit. The first differing value is named.
template <typename Fast, typename Reference>
void expect_fast_matches_reference(Fast fast, Reference reference) {
  const std::vector<float> expected = reference();
  on_every_simd_path([&] {
    const std::vector<float> got = fast();
    ASSERT_EQ(got.size(), expected.size());
    const long at = first_difference(got.data(), expected.data(), got.size());
    EXPECT_EQ(at, -1) << "output " << at << ": fast " << got[static_cast<std::size_t>(at < 0 ? 0 : at)]
                      << ", reference " << expected[static_cast<std::size_t>(at < 0 ? 0 : at)];
  });
}

}  // namespace test_support
