// Tests of the double exp and log: special values, the overflow and underflow thresholds, subnormal
// arguments and results, and arguments near 1 and 0 whose results lie close to a rounding boundary.
// tests/accuracy/elementary_accuracy measures both against MPFR over random arguments.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ios>
#include <limits>

#include "numerics/elementary.h"

namespace {

using numerics::elementary::exp;
using numerics::elementary::log;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::uint64_t bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

struct Case {
  double x, expected;
};

// References: MPFR's exp and log at 53 bits, rounded to nearest with double's subnormals. They cover
// the normal/subnormal boundary (2^-1022), the least subnormal and the last argument that does not
// round to +0, the largest argument below overflow, tiny arguments whose result lies within 2^-50 ulp
// of a midpoint, and log at powers of two (k·ln2), subnormals, and next to 1.
constexpr Case kExpCases[] = {
    {0x1p+0, 0x1.5bf0a8b145769p+1},
    {-0x1p+0, 0x1.78b56362cef38p-2},
    {0x1p-1, 0x1.a61298e1e069cp+0},
    {0x1.5ep+9, 0x1.d945df4f8ec8ep+1009},
    {-0x1.5ep+9, 0x1.14f2b0fb9307fp-1010},
    {0x1.62e42fefa39efp+9, 0x1.fffffffffff2ap+1023},
    {-0x1.6232bdd7abcd2p+9, 0x1.000000000007cp-1022},
    {-0x1.624p+9, 0x0.e6cf6d08897acp-1022},
    {-0x1.74385446d71c3p+9, 0x0.0000000000001p-1022},
    {-0x1.74910d52d3051p+9, 0x0.0000000000001p-1022},
    {-0x1.748p+9, 0x0.0000000000001p-1022},
    {0x1p-53, 0x1.0000000000001p+0},
    {-0x1.4000000000001p-52, 0x1.ffffffffffffdp-1},
    {-0x1.a000000000003p-51, 0x1.ffffffffffff9p-1},
    {0x1p-30, 0x1.00000004p+0},
};
constexpr Case kLogCases[] = {
    {0x1p+1, 0x1.62e42fefa39efp-1},
    {0x1p-1, -0x1.62e42fefa39efp-1},
    {0x1p+1023, 0x1.628b76e3a7b61p+9},
    {0x1p-1022, -0x1.6232bdd7abcd2p+9},
    {0x1p+100, 0x1.1542457337d43p+6},
    {0x1p-10, -0x1.bb9d3beb8c86bp+2},
    {0x1p-1074, -0x1.74385446d71c3p+9},
    {0x1p-1060, -0x1.6f5e359f105f9p+9},
    {0x1.8p-1070, -0x1.72a189cf0df96p+9},
    {0x0.fffffffffffffp-1022, -0x1.6232bdd7abcd2p+9},
    {0x1.fffffffffffffp+1023, 0x1.62e42fefa39efp+9},
    {0x1.0000000000001p+0, 0x1.fffffffffffffp-53},
    {0x1.fffffffffffffp-1, -0x1p-53},
    {0x1.00000004p+0, 0x1.fffffffcp-31},
    {0x1.5bf0a8b145769p+1, 0x1p+0},
    {0x1.4p+3, 0x1.26bb1bbb55516p+1},
    {0x1.ffcp-1, -0x1.0010015575589p-11},
    {0x1.008p+0, 0x1.ff802a9ab10e6p-10},
    {0x1.6a8p-1, -0x1.61965cdb02c1fp-2},
};

TEST(ElementaryDouble, ExpSpecialValuesAndThresholds) {
  EXPECT_TRUE(exp(kNaN) != exp(kNaN));
  EXPECT_EQ(bits(exp(kInf)), bits(kInf));
  EXPECT_EQ(bits(exp(-kInf)), bits(0.0));
  EXPECT_EQ(bits(exp(0.0)), bits(1.0));
  EXPECT_EQ(bits(exp(-0.0)), bits(1.0));
  EXPECT_EQ(bits(exp(0x1p-1074)), bits(1.0));
  // Overflow starts right above 0x1.62e42fefa39efp+9; below ln(2^-1075) the result is +0.
  EXPECT_EQ(bits(exp(0x1.62e42fefa39fp+9)), bits(kInf));
  EXPECT_EQ(bits(exp(1000.0)), bits(kInf));
  EXPECT_EQ(bits(exp(-0x1.74910d52d3052p+9)), bits(0.0));
  EXPECT_EQ(bits(exp(-1000.0)), bits(0.0));
}

TEST(ElementaryDouble, LogSpecialValues) {
  EXPECT_EQ(bits(log(0.0)), bits(-kInf));
  EXPECT_EQ(bits(log(-0.0)), bits(-kInf));
  EXPECT_TRUE(log(-1.0) != log(-1.0));
  EXPECT_TRUE(log(-0x1p-1074) != log(-0x1p-1074));
  EXPECT_TRUE(log(-kInf) != log(-kInf));
  EXPECT_TRUE(log(kNaN) != log(kNaN));
  EXPECT_EQ(bits(log(kInf)), bits(kInf));
  EXPECT_EQ(bits(log(1.0)), bits(0.0));  // +0, not -0
}

TEST(ElementaryDouble, CorrectlyRoundedCases) {
  for (const Case& c : kExpCases)
    EXPECT_EQ(bits(exp(c.x)), bits(c.expected)) << std::hexfloat << "exp(" << c.x << ")";
  for (const Case& c : kLogCases)
    EXPECT_EQ(bits(log(c.x)), bits(c.expected)) << std::hexfloat << "log(" << c.x << ")";
}

}  // namespace
