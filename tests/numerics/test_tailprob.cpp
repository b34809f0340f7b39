// Tests of the tail probabilities of t, r and F against closed forms for small degrees of freedom,
// computed here in long double, and of the inverse searches by closed-form inversion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "numerics/numerics.h"
#include "support/expect.h"
#include "support/tolerance.h"

namespace {

using numerics::correlation_probability;
using test_support::expect_relative;

constexpr long double kPi = 3.141592653589793238462643383279502884L;
// The tails go through I_x(a, b) in float (about 8 units) and the rounding of its argument.
constexpr double kTailTolerance = test_support::kTol32;
// The 25-move search halves its step only on reversals; it ends within 2^-8 of its initial step of
// the crossing on the grids below (flat tails far out, as for t with one degree of freedom, are worst).
constexpr double kResolution = 1.0 / 256;

TEST(TailProbability, StudentTMatchesClosedForms) {
  // Two-sided tails: 1 - (2/pi) atan|t| for one degree of freedom, 1 - |t| / sqrt(2 + t^2) for two.
  for (float t = -12.0f; t <= 12.0f; t += 0.375f) {
    const long double u = std::fabs(static_cast<long double>(t));
    expect_relative(numerics::t_probability(t, 1), 1.0L - 2.0L / kPi * std::atan(u), kTailTolerance);
    expect_relative(numerics::t_probability(t, 2), 1.0L - u / std::sqrt(2.0L + u * u), kTailTolerance);
  }
}

TEST(TailProbability, CorrelationMatchesClosedForms) {
  // With three points the tail is 1 - (2/pi) asin|r|; with four it is 1 - |r|.
  for (float r = -0.9375f; r < 1.0f; r += 0.0625f) {
    const long double magnitude = std::fabs(static_cast<long double>(r));
    expect_relative(correlation_probability(r, 3), 1.0L - 2.0L / kPi * std::asin(magnitude), kTailTolerance);
    expect_relative(correlation_probability(r, 4), 1.0L - magnitude, kTailTolerance);
  }
  EXPECT_EQ(correlation_probability(1.0f, 10), 0.0f);
  EXPECT_EQ(correlation_probability(-1.0f, 10), 0.0f);
  EXPECT_EQ(correlation_probability(0.5f, 1), 1.0f);  // fewer than two points carry no evidence
}

TEST(TailProbability, FisherFMatchesClosedForm) {
  // With two numerator degrees of freedom Q(F) = (1 + 2F/d2)^(-d2/2).
  for (std::uint32_t df2 : {1u, 4u, 10u, 30u}) {
    for (float f = 0.0f; f <= 20.0f; f += 0.25f) {
      expect_relative(numerics::f_probability(f, 2, df2), std::pow(1.0L + 2.0L * f / df2, -0.5L * df2),
                      kTailTolerance);
    }
  }
  EXPECT_EQ(numerics::f_probability(-1.0f, 3, 10), 0.0f);
}

TEST(ProbabilitySearch, InvertsClosedForms) {
  for (float p = 0.04f; p <= 0.5f; p += 0.02f) {
    const long double c = 1.0L - p;
    EXPECT_NEAR(numerics::t_for_probability(p, 1), static_cast<double>(std::tan(kPi * c / 2.0L)),
                kResolution * 2);
    EXPECT_NEAR(numerics::t_for_probability(p, 2),
                static_cast<double>(std::sqrt(2.0L * c * c / (1.0L - c * c))), kResolution * 2);
    EXPECT_NEAR(numerics::correlation_for_probability(p, 4), static_cast<double>(c), kResolution * 0.2);
    // F(2, 10) with tail p: F = 5 (p^(-1/5) - 1).
    EXPECT_NEAR(numerics::f_for_probability(p, 2, 10),
                static_cast<double>(5.0L * (std::pow(p, -0.2L) - 1.0L)), kResolution * 2);
  }
}

TEST(ProbabilitySearch, FollowsTheFixedPath) {
  // Where the 25 moves end, a little off the exact quantiles (2.2281389 for t at 5% with 10 df,
  // 3.7082648 for F(3, 10)): the search path itself is part of the result.
  EXPECT_FLOAT_EQ(numerics::t_for_probability(0.05f, 10), 2.2281418f);
  EXPECT_FLOAT_EQ(numerics::t_for_probability(0.01f, 20), 2.8453369f);
  EXPECT_FLOAT_EQ(numerics::correlation_for_probability(0.05f, 10), 0.6318940f);
  EXPECT_FLOAT_EQ(numerics::f_for_probability(0.05f, 3, 10), 3.7082520f);
  // p = 0 is below every tail, so each of the 25 moves goes up by the unhalved initial step.
  EXPECT_EQ(numerics::t_for_probability(0.0f, 10), 4.0f + 25 * 2.0f);
  EXPECT_EQ(numerics::f_for_probability(0.0f, 3, 7), 10.0f + 25 * 2.0f);
}

}  // namespace
