// Tests of the special functions against references computed here in long double from closed forms
// (lgamma, erfc, finite sums for integer parameters), identities between the routines, and the
// fatal exits of the incomplete gamma function.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "numerics/numerics.h"
#include "support/expect.h"
#include "support/fatal_message.h"
#include "support/tolerance.h"

namespace {

using numerics::gammq;
using numerics::incomplete_beta;

using test_support::expect_relative;
using test_support::kEps;
// The six-term log-gamma series is accurate to about 2e-10 absolute for x > 0.
constexpr double kLogGammaAccuracy = 2e-10;
// I_x(a, b) rounds only the float product a ln x and a few results: about 8 units on these grids.
constexpr double kBetaTolerance = test_support::kTol16;
// The erfc fit has a relative error below 1.2e-7 (one unit), plus three roundings.
constexpr double kErfcTolerance = test_support::kTol4;

// gammq rounds exp(-x + a ln x - ln Gamma(a)) in float: one unit per unit of size of the exponent's
// terms, plus 4, bounds its relative error.
double gamma_tolerance(double a, double x) {
  return kEps * (4.0 + x + (x > 0.0 ? std::fabs(a * std::log(x)) : 0.0) + std::fabs(std::lgamma(a)));
}

// Q(n, x) = e^-x sum_{k<n} x^k / k! for integer n.
long double upper_gamma_integer(int n, long double x) {
  long double term = 1.0L, sum = 0.0L;
  for (int k = 0; k < n; ++k, term *= x / k) sum += term;
  return std::exp(-x) * sum;
}

// I_x(a, b) for integer a, b: the binomial tail sum_{j=a}^{a+b-1} C(a+b-1, j) x^j (1-x)^(a+b-1-j).
long double incomplete_beta_integer(int a, int b, long double x) {
  const int n = a + b - 1;
  long double sum = 0.0L;
  for (int j = a; j <= n; ++j) {
    const long double log_choose = std::lgamma(n + 1.0L) - std::lgamma(j + 1.0L) - std::lgamma(n - j + 1.0L);
    sum += std::exp(log_choose) * std::pow(x, j) * std::pow(1.0L - x, n - j);
  }
  return sum;
}

TEST(SpecialFunctions, LogGammaMatchesLgamma) {
  for (double x = 0.125; x < 60.0; x *= 1.19) {
    const double want = static_cast<double>(std::lgamma(static_cast<long double>(x)));
    EXPECT_NEAR(numerics::log_gamma(x), want, kLogGammaAccuracy * std::fmax(1.0, std::fabs(want))) << x;
  }
}

TEST(SpecialFunctions, IncompleteGammaMatchesClosedFormOnBothBranches) {
  for (int n = 1; n <= 8; ++n) {
    for (float x = 0.0f; x <= 20.0f; x += 0.625f) {
      expect_relative(gammq(static_cast<float>(n), x), upper_gamma_integer(n, x), gamma_tolerance(n, x));
    }
  }
}

TEST(SpecialFunctions, SeriesAndFractionAreComplementary) {
  // Near x = a + 1 both evaluators converge: P + Q = 1, and both report ln Gamma(a).
  for (float a = 0.5f; a <= 30.0f; a += 1.75f) {
    for (float x : {a + 0.25f, a + 1.0f, a + 3.0f}) {
      float p = -1.0f, q = -1.0f, gln_series = 0.0f, gln_fraction = 0.0f;
      numerics::gser(&p, a, x, &gln_series);
      numerics::gcf(&q, a, x, &gln_fraction);
      EXPECT_NEAR(p + q, 1.0, gamma_tolerance(a, x)) << a << " " << x;
      EXPECT_EQ(gln_series, gln_fraction);
      EXPECT_NEAR(gln_series, std::lgamma(a), test_support::kTol2 * std::fmax(1.0f, std::fabs(gln_series)));
    }
  }
}

TEST(SpecialFunctionsDeathTest, IncompleteGammaFailures) {
  EXPECT_FATAL(gammq(0.0f, 1.0f), "Invalid arguments in routine gammq");
  EXPECT_FATAL(gammq(-1.0f, 1.0f), "Invalid arguments in routine gammq");
  EXPECT_FATAL(gammq(1.0f, -0.5f), "Invalid arguments in routine gammq");
  float value = 0.0f, gln = 0.0f;
  EXPECT_FATAL(numerics::gser(&value, 2.0f, -1.0f, &gln), "x less than 0 in routine gser");
  // Large a near x needs far more than 100 terms of either expansion.
  EXPECT_FATAL(gammq(500.0f, 500.0f), "a too large, ITMAX too small in routine gser");
  EXPECT_FATAL(gammq(10000.0f, 10001.0f), "a too large, ITMAX too small in gcf");
}

TEST(SpecialFunctions, IncompleteBetaMatchesBinomialTail) {
  for (int a = 1; a <= 6; ++a) {
    for (int b = 1; b <= 6; ++b) {
      for (float x = 0.03125f; x < 1.0f; x += 0.0625f) {
        expect_relative(incomplete_beta(static_cast<float>(a), static_cast<float>(b), x),
                        incomplete_beta_integer(a, b, x), kBetaTolerance);
      }
    }
  }
}

TEST(SpecialFunctions, IncompleteBetaSymmetryAndEndpoints) {
  for (float a : {0.7f, 2.5f, 9.25f}) {
    for (float b : {0.3f, 1.5f, 12.0f}) {
      for (float x = 0.0625f; x < 1.0f; x += 0.125f) {
        EXPECT_NEAR(incomplete_beta(a, b, x), 1.0 - incomplete_beta(b, a, 1.0f - x), kBetaTolerance);
      }
      EXPECT_EQ(incomplete_beta(a, b, 0.0f), 0.0f);
      EXPECT_EQ(incomplete_beta(a, b, 1.0f), 1.0f);
      EXPECT_EQ(incomplete_beta(a, b, -0.1f), 0.0f);  // outside [0, 1] the answer is 0, silently
      EXPECT_EQ(incomplete_beta(a, b, 1.5f), 0.0f);
    }
  }
}

TEST(SpecialFunctions, ComplementaryErrorFunctionMatchesErfc) {
  for (float x = -4.0f; x <= 4.0f; x += 0.0625f) {
    expect_relative(numerics::complementary_error_function(x), std::erfc(static_cast<long double>(x)),
                    kErfcTolerance);
  }
}

TEST(SpecialFunctions, KolmogorovSmirnovMatchesLongDoubleSeries) {
  for (float lambda = 0.1f; lambda <= 3.0f; lambda += 0.05f) {
    long double want = 0.0L;
    for (int j = 1; j <= 1000; ++j)
      want += 2.0L * (j % 2 ? 1 : -1) * std::exp(-2.0L * j * j * lambda * lambda);
    EXPECT_NEAR(numerics::kolmogorov_smirnov_probability(lambda), static_cast<double>(want),
                test_support::kTol4)
        << lambda;
  }
  // At 0 the series never settles and the answer falls back to 1; far out the first term underflows.
  EXPECT_EQ(numerics::kolmogorov_smirnov_probability(0.0f), 1.0f);
  EXPECT_EQ(numerics::kolmogorov_smirnov_probability(10.0f), 0.0f);
}

TEST(SpecialFunctions, PolarRadiusTransformIsTwiceSqrtOfMinusLog) {
  // p = k/16 keeps 1 - p and its square exact in float; 2 - p mirrors p with the opposite sign.
  for (int k = 1; k < 16; ++k) {
    const float p = static_cast<float>(k) / 16.0f;
    expect_relative(numerics::polar_radius_transform(p), 2.0L * std::sqrt(-std::log(1.0L - p)),
                    test_support::kTol4);
    EXPECT_EQ(numerics::polar_radius_transform(2.0f - p), -numerics::polar_radius_transform(p));
  }
  // p = 1 is replaced by 1 - 2^-23, giving 2 sqrt(23 ln 2); p = 0 gives -0 (sqrt of -0).
  expect_relative(numerics::polar_radius_transform(1.0f), 2.0L * std::sqrt(23.0L * std::log(2.0L)),
                  test_support::kTol4);
  const float at_zero = numerics::polar_radius_transform(0.0f);
  EXPECT_TRUE(at_zero == 0.0f && std::signbit(at_zero));
}

}  // namespace
