// Tests of the correctly rounded expf and logf: special values, the overflow and underflow thresholds,
// and arguments whose exact result lies close to a float rounding boundary. Every float argument is
// checked against MPFR by tests/exhaustive/elementary_sweep; these cases guard the paths one by one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "numerics/elementary.h"

namespace {

using numerics::elementary::expf;
using numerics::elementary::logf;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::uint32_t bits(float x) {
  std::uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

struct Case {
  float x, expected;
};

// References: MPFR's exp and log at 200 bits, rounded once to nearest float with float's subnormals.
// The first six expf and three logf cases lie so close to a midpoint that the double evaluation leaves
// them to the double-double path. The next six logf results lie within a double ulp of a midpoint: in
// the first three, even log x correctly rounded to double rounds to the wrong float (the double is the
// midpoint); in the last three, the double-double's leading part is the double next to the midpoint.
constexpr Case kExpCases[] = {
    {0x1.bffffap-22f, 0x1.000008p+0f},
    {0x1.5b3c52p-14f, 0x1.00056cp+0f},
    {0x1.344e9cp-5f, 0x1.09d174p+0f},
    {0x1.62b666p+1f, 0x1.ff48fap+3f},
    {0x1.112856p+6f, 0x1.6f498ap+98f},
    {-0x1.7acc62p+3f, 0x1.e51c66p-18f},
    {-0x1.630532p-1f, 0x1.ffdefep-2f},
    {0x1p-24f, 0x1.000002p+0f},
    {-0x1p-25f, 0x1p+0f},
    {-0x1.000002p-25f, 0x1.fffffep-1f},
    {0x1p-149f, 0x1p+0f},
    // subnormal results, the last one before zero, and the largest finite result
    {-0x1.5d589ep+6f, 0x1.00004cp-126f},
    {-0x1.6dd6ecp+6f, 0x1.0943p-132f},
    {-0x1.9fe368p+6f, 0x1p-149f},
    {0x1.62e42ep+6f, 0x1.ffff08p+127f},
};
constexpr Case kLogCases[] = {
    {0x1.fffffcp-1f, -0x1.000002p-23f},
    {0x1.4cd816p+0f, 0x1.0ccbf2p-2f},
    {0x1.e201ap-124f, -0x1.554518p+6f},
    {0x1.cb534cp+13f, 0x1.330e4ap+3f},
    {0x1.bacb4ap+25f, 0x1.1e0696p+4f},
    {0x1.d1309cp+62f, 0x1.5c9442p+5f},
    {0x1.b121a6p+76f, 0x1.a9a3f2p+5f},
    {0x1.6351d8p+95f, 0x1.08b512p+6f},
    {0x1.cfd86ep+116f, 0x1.43ff6ep+6f},
    // next to 1, and the ends of the float range (subnormal and largest)
    {0x1.000002p+0f, 0x1.fffffep-24f},
    {0x1.fffffep-1f, -0x1p-24f},
    {0x1p-149f, -0x1.9d1dap+6f},
    {0x1p-126f, -0x1.5d58ap+6f},
    {0x1.fffffep+127f, 0x1.62e43p+6f},
};

TEST(ElementaryFloat, ExpSpecialValuesAndThresholds) {
  EXPECT_TRUE(std::isnan(expf(kNaN)));
  EXPECT_TRUE(std::isnan(expf(-kNaN)));
  EXPECT_EQ(bits(expf(kInf)), bits(kInf));
  EXPECT_EQ(bits(expf(-kInf)), bits(0.0f));
  EXPECT_EQ(expf(0.0f), 1.0f);
  EXPECT_EQ(expf(-0.0f), 1.0f);
  // The first argument that overflows and the first whose result rounds to +0.
  EXPECT_EQ(bits(expf(0x1.62e43p+6f)), bits(kInf));
  EXPECT_EQ(bits(expf(-0x1.9fe36ap+6f)), bits(0.0f));
  EXPECT_EQ(bits(expf(1000.0f)), bits(kInf));
  EXPECT_EQ(bits(expf(-1000.0f)), bits(0.0f));
}

TEST(ElementaryFloat, LogSpecialValues) {
  EXPECT_TRUE(std::isnan(logf(kNaN)));
  EXPECT_TRUE(std::isnan(logf(-1.0f)));
  EXPECT_TRUE(std::isnan(logf(-0x1p-149f)));
  EXPECT_TRUE(std::isnan(logf(-kInf)));
  EXPECT_EQ(bits(logf(0.0f)), bits(-kInf));
  EXPECT_EQ(bits(logf(-0.0f)), bits(-kInf));
  EXPECT_EQ(bits(logf(kInf)), bits(kInf));
  EXPECT_EQ(bits(logf(1.0f)), bits(0.0f));
}

TEST(ElementaryFloat, CorrectlyRoundedNearRoundingBoundaries) {
  for (const Case& c : kExpCases)
    EXPECT_EQ(bits(expf(c.x)), bits(c.expected)) << "expf(" << std::hexfloat << c.x << ")";
  for (const Case& c : kLogCases)
    EXPECT_EQ(bits(logf(c.x)), bits(c.expected)) << "logf(" << std::hexfloat << c.x << ")";
}

}  // namespace
