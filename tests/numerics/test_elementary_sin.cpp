// Tests of the double sin: special values and the sign of zero, odd symmetry, and arguments whose
// reduction modulo π/2 is hard (next to multiples of π/2, and huge ones up to the largest double).
// The expected values are MPFR's sin at 53 bits, rounded to nearest.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "numerics/elementary.h"

namespace {

using numerics::elementary::sin;

std::uint64_t bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

TEST(ElementarySin, SpecialValuesAndSignOfZero) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(bits(sin(0.0)), bits(0.0));
  EXPECT_EQ(bits(sin(-0.0)), bits(-0.0));
  EXPECT_TRUE(std::isnan(sin(kInf)));
  EXPECT_TRUE(std::isnan(sin(-kInf)));
  EXPECT_TRUE(std::isnan(sin(std::numeric_limits<double>::quiet_NaN())));
}

TEST(ElementarySin, CorrectlyRoundedAcrossReductions) {
  struct Case {
    double x, expected;
  };
  constexpr Case kCases[] = {
      {0x1.921fb54442d18p+0, 0x1p+0},                   // the double nearest π/2
      {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53},    // nearest π: the result is the reduction's error
      {0x1.2d97c7f3321d2p+2, -0x1p+0},                  // nearest 3π/2
      {0x1.8p+1, 0x1.210386db6d55bp-3},                 // 3
      {0x1.8p-26, 0x1.7ffffffffffffp-26},               // just above the range where sin x rounds to x
      {0x1p-1074, 0x1p-1074},                           // the least subnormal
      {0x1.0f0cf064dd592p+73, -0x1.b453ab76bf397p-1},   // 1e22
      {0x1.6ac5b262ca1ffp+849, 0x1p+0},                 // next to an odd multiple of π/2
      {0x1.fffffffffffffp+1023, 0x1.452fc98b34e97p-8},  // the largest double
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(bits(sin(c.x)), bits(c.expected)) << "sin(" << std::hexfloat << c.x << ")";
    EXPECT_EQ(bits(sin(-c.x)), bits(-c.expected)) << "sin(" << std::hexfloat << -c.x << ")";
  }
}

}  // namespace
