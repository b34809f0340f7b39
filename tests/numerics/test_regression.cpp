// Tests of the straight-line fit against a long double least-squares reference (normal equations),
// unweighted and weighted, with sentinels around the one-based inputs, and of its fatal exits.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "numerics/numerics.h"
#include "support/fatal_message.h"
#include "support/tolerance.h"

namespace {

// Float sums over 40 well-conditioned points lose a few units (4 suffice here); 16 leaves room.
constexpr double kFitTolerance = test_support::kTol16;

struct Fit {
  float a, b, siga, sigb, chi2, q;
};

// One-based points with NaN sentinels at 0 and n + 1: reading one of them spoils the fit.
struct Points {
  int n;
  std::vector<float> x, y, sig;
  explicit Points(int count)
      : n(count), x(count + 2, std::numeric_limits<float>::quiet_NaN()), y(x), sig(x) {}
  Fit fit(int weighted) const {
    Fit f{};
    numerics::fit_line(x.data(), y.data(), n, sig.data(), weighted, &f.a, &f.b, &f.siga, &f.sigb, &f.chi2,
                       &f.q);
    return f;
  }
};

// A noisy line y = 3 - 0.7 x with deterministic scatter and varied deviations.
Points noisy_line(int n) {
  Points p(n);
  for (int i = 1; i <= n; ++i) {
    p.x[i] = 0.25f * static_cast<float>(i);
    p.y[i] = 3.0f - 0.7f * p.x[i] + 0.3f * std::sin(1.7f * static_cast<float>(i));
    p.sig[i] = 0.2f + 0.05f * static_cast<float>(i % 5);
  }
  return p;
}

// Least squares by the normal equations in long double; q = Q((n-2)/2, chi2/2) by its finite sum
// for even n.
Fit reference_fit(const Points& p, bool weighted) {
  long double s = 0, sx = 0, sy = 0, sxx = 0, sxy = 0, chi2 = 0;
  for (int i = 1; i <= p.n; ++i) {
    const long double w = weighted ? 1.0L / (static_cast<long double>(p.sig[i]) * p.sig[i]) : 1.0L;
    s += w, sx += w * p.x[i], sy += w * p.y[i], sxx += w * p.x[i] * p.x[i], sxy += w * p.x[i] * p.y[i];
  }
  const long double delta = s * sxx - sx * sx;
  const long double a = (sxx * sy - sx * sxy) / delta, b = (s * sxy - sx * sy) / delta;
  for (int i = 1; i <= p.n; ++i)
    chi2 += std::pow((p.y[i] - a - b * p.x[i]) / (weighted ? p.sig[i] : 1.0L), 2);
  long double q = 1.0L, term = 1.0L, sum = 0.0L;
  if (weighted) {
    for (int j = 0; j < (p.n - 2) / 2; ++j, term *= chi2 / 2 / j) sum += term;
    q = std::exp(-chi2 / 2) * sum;
  }
  const long double scatter = weighted ? 1.0L : std::sqrt(chi2 / (p.n - 2));
  return Fit{static_cast<float>(a),
             static_cast<float>(b),
             static_cast<float>(std::sqrt(sxx / delta) * scatter),
             static_cast<float>(std::sqrt(s / delta) * scatter),
             static_cast<float>(chi2),
             static_cast<float>(q)};
}

TEST(FitLine, MatchesLeastSquaresReference) {
  const Points p = noisy_line(40);
  for (int weighted : {0, 1, 7}) {  // any nonzero flag weights
    const Fit got = p.fit(weighted), want = reference_fit(p, weighted != 0);
    const float pairs[][2] = {{got.a, want.a},       {got.b, want.b},       {got.siga, want.siga},
                              {got.sigb, want.sigb}, {got.chi2, want.chi2}, {got.q, want.q}};
    for (const auto& pair : pairs)
      EXPECT_NEAR(pair[0], pair[1], kFitTolerance * std::fmax(1.0f, std::fabs(pair[1])));
  }
}

TEST(FitLine, NonsensicalCountReadsNothingAndDoesNotOverflow) {
  // n - 2 of the most negative count is formed in 64 bits; with no points the slope is 0/0.
  Points none(0);
  none.n = INT_MIN;
  const Fit f = none.fit(0);
  EXPECT_TRUE(std::isnan(f.b));
  EXPECT_EQ(f.q, 1.0f);
}

TEST(FitLineDeathTest, WeightedFitFailuresComeFromGammq) {
  Points two = noisy_line(2);
  EXPECT_FATAL(two.fit(1), "Invalid arguments in routine gammq");
  // 1002 points with chi-square near 980 ask for Q(500, ~490), beyond 100 series terms.
  Points many(1002);
  for (int i = 1; i <= many.n; ++i)
    many.x[i] = static_cast<float>(i), many.y[i] = i % 2 ? 0.99f : -0.99f, many.sig[i] = 1;
  EXPECT_FATAL(many.fit(1), "a too large, ITMAX too small in routine gser");
}

}  // namespace
