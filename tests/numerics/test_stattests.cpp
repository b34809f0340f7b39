// Tests of the statistical tests against long double evaluations of their definitions, the exact
// symmetries of the float steps, exact lines and ties, the zero results of vanishing spreads, and
// significances against a numerical integral of Student's density and the long double erfc.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

#include "numerics/numerics.h"
#include "support/bordered.h"
#include "support/tolerance.h"

namespace {

using namespace numerics;
using Real = long double;

using test_support::kEps;
// Float sums of n terms carry a relative error up to about n eps; statistics of a few sums get 4 n eps.
double sum_tolerance(std::size_t n) { return 4.0 * static_cast<double>(n) * kEps; }
// A t tail p: the incomplete beta fraction stops at a relative change of 3e-7 (2.5 eps), 16 eps in all;
// its argument df / (df + t^2) is rounded to float, which near 1 (small t) costs up to df / |t| eps.
double tail_tolerance(Real p, Real t, Real df) {
  return double(test_support::kTol16 * p + kEps * df / std::fabs(t));
}
// The erfc fit is good to 1.2e-7 relative; in float, rounding x and the exponent near -x^2 adds x^2 eps.
double erfc_tolerance(Real p, Real x) { return double(test_support::kTol4 * (1 + x * x) * p); }

std::vector<float> ob(std::vector<float> v) {  // one-based: element 0 unused
  v.insert(v.begin(), test_support::kSentinel);
  return v;
}

std::vector<float> normal(std::size_t n, float mean, float spread, unsigned seed) {
  std::mt19937 g(seed);
  std::normal_distribution<float> dist(mean, spread);
  std::vector<float> v(n + 1);
  for (std::size_t i = 1; i <= n; ++i) v[i] = dist(g);
  return v;
}

template <typename V>
std::pair<Real, Real> moments_of(const V& v) {  // mean and variance with divisor n - 1
  Real n = Real(v.size() - 1), m = 0, s = 0;
  for (std::size_t i = 1; i <= v.size() - 1; ++i) m += v[i] / n;
  for (std::size_t i = 1; i <= v.size() - 1; ++i) s += (v[i] - m) * (v[i] - m) / (n - 1);
  return {m, s};
}

template <typename V>
Real correlation_of(const V& x, const V& y) {
  const Real mx = moments_of(x).first, my = moments_of(y).first;
  Real sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 1; i < x.size(); ++i) {
    sxx += (x[i] - mx) * (x[i] - mx);
    syy += (y[i] - my) * (y[i] - my);
    sxy += (x[i] - mx) * (y[i] - my);
  }
  return sxy / std::sqrt(sxx * syy);
}

// Two-sided tail of Student's t: 1 - 2 * integral of the density over [0, |t|] by Simpson's rule.
Real t_tail(Real t, Real df) {
  const Real c =
      std::exp(std::lgamma((df + 1) / 2) - std::lgamma(df / 2)) / std::sqrt(df * 3.14159265358979323846L);
  auto density = [&](Real u) { return c * std::pow(1 + u * u / df, -(df + 1) / 2); };
  const int steps = 20000;
  const Real h = std::fabs(t) / steps;
  Real sum = density(0) + density(std::fabs(t));
  for (int i = 1; i < steps; ++i) sum += (i % 2 ? 4 : 2) * density(i * h);
  return 1 - 2 * sum * h / 3;
}

TEST(Moments, MeanVarianceAndBothTStatistics) {
  float mean, variance, t, swapped;
  std::vector<float> small = ob({1, 2, 3, 4}), one = ob({4}), twos = ob({2, 2, 2}), fives = ob({5, 5}),
                     varying = ob({4, 5, 6});
  mean_and_variance(small.data(), 4, &mean, &variance);
  EXPECT_EQ(mean, 2.5f);
  EXPECT_FLOAT_EQ(variance, 5.0f / 3.0f);
  mean_and_variance(one.data(), 1, &mean, &variance);
  EXPECT_TRUE(std::isnan(variance));

  const std::vector<float> a = normal(40, 100.0f, 3.0f, 1), b = normal(25, 99.0f, 2.0f, 2);
  const auto [ma, va] = moments_of(a);
  const auto [mb, vb] = moments_of(b);
  mean_and_variance(a.data(), 40, &mean, &variance);
  EXPECT_NEAR(mean, static_cast<double>(ma), static_cast<double>(ma * sum_tolerance(40)));
  // Deviations from a mean near 100 keep the datum's rounding, 100 / 3 eps of the spread 3.
  EXPECT_NEAR(variance, static_cast<double>(va), static_cast<double>(va * (sum_tolerance(40) + 67 * kEps)));
  // Values 1000 + (0, 1, 2) units: the float mean is off by units, and only the sum of the
  // deviations (exact here) keeps that error out of the variance.
  std::vector<float> close(101);
  for (int i = 1; i <= 100; ++i) close[i] = 1000.0f + float(i % 3) * 0x1p-14f;
  mean_and_variance(close.data(), 100, &mean, &variance);
  const Real close_variance = moments_of(close).second;
  EXPECT_NEAR(variance, static_cast<double>(close_variance),
              static_cast<double>(close_variance * sum_tolerance(100)));
  // The difference of two float means near 100, each within a few units of 100 eps, cancels.
  const double t_tolerance = double(4 * 100 * kEps / std::fabs(ma - mb)) + sum_tolerance(65);
  const Real pooled = (ma - mb) / std::sqrt((39 * va + 24 * vb) / 63 * (1.0L / 40 + 1.0L / 25));
  student_t_pooled(a.data(), 40, b.data(), 25, &t);
  student_t_pooled(b.data(), 25, a.data(), 40, &swapped);
  EXPECT_NEAR(t, static_cast<double>(pooled), static_cast<double>(std::fabs(pooled) * t_tolerance));
  EXPECT_EQ(swapped, -t);
  const Real unequal = (ma - mb) / std::sqrt(va / 40 + vb / 25);
  student_t_unequal(a.data(), 40, b.data(), 25, &t);
  student_t_unequal(b.data(), 25, a.data(), 40, &swapped);
  EXPECT_NEAR(t, static_cast<double>(unequal), static_cast<double>(std::fabs(unequal) * t_tolerance));
  EXPECT_EQ(swapped, -t);

  student_t_pooled(twos.data(), 3, fives.data(), 2, &t);
  EXPECT_EQ(t, 0.0f);
  student_t_unequal(twos.data(), 3, fives.data(), 2, &t);
  EXPECT_EQ(t, 0.0f);
  student_t_unequal(twos.data(), 3, varying.data(), 3, &t);  // only the second variance, 1, counts
  EXPECT_NEAR(t, -3.0 * std::sqrt(3.0), 12 * kEps * std::sqrt(3.0));
}

TEST(KolmogorovSmirnov, LargestGapOfTheEmpiricalDistributions) {
  std::vector<float> a = normal(41, 0.0f, 1.0f, 3), b = normal(29, 0.4f, 1.0f, 4), sa = a, sb = b;
  std::sort(sa.begin() + 1, sa.end());
  std::sort(sb.begin() + 1, sb.end());
  auto ecdf = [](const std::vector<float>& v, float x) {
    return double(std::count_if(v.begin() + 1, v.end(), [&](float u) { return u <= x; })) /
           double(v.size() - 1);
  };
  double gap = 0;  // continuous samples, no ties: the supremum is reached at a sample point
  for (const auto* v : {&a, &b})
    for (std::size_t i = 1; i < v->size(); ++i)
      gap = std::max(gap, std::fabs(ecdf(a, (*v)[i]) - ecdf(b, (*v)[i])));
  float d;
  ks_two_sample_distance(a.data(), 41, b.data(), 29, &d);
  EXPECT_NEAR(d, gap, test_support::kTol2);
  EXPECT_EQ(a, sa);
  EXPECT_EQ(b, sb);

  std::vector<float> low = ob({2, 1}), high = ob({4, 3}), same = ob({1, 2}), pair = ob({1, 1}), one = ob({1}),
                     with_nan = ob({1, NAN, 2});
  ks_two_sample_distance(low.data(), 2, high.data(), 2, &d);
  EXPECT_EQ(d, 1.0f);
  ks_two_sample_distance(low.data(), 2, same.data(), 2, &d);
  EXPECT_EQ(d, 0.0f);
  ks_two_sample_distance(pair.data(), 2, one.data(), 1, &d);  // a shared value steps both walks once
  EXPECT_EQ(d, 0.5f);
  ks_two_sample_distance(with_nan.data(), 3, high.data(), 2, &d);
  EXPECT_TRUE(std::isnan(d));
}

TEST(Pearson, DefinitionSymmetryAffineMapsAndExactLines) {
  std::vector<float> x = normal(30, 3.0f, 2.0f, 5), y = normal(30, -1.0f, 1.0f, 6), mapped(31), line(31),
                     minus(31), flat(31, 3.0f);
  for (std::size_t i = 1; i <= 30; ++i) {
    y[i] += 0.7f * x[i];
    mapped[i] = -4.0f * x[i] + 7.0f;
    line[i] = 2.0f * x[i] + 1.0f;
    minus[i] = -x[i];
  }
  float rxy, ryx, rm, prob;
  pearson_r(x.data(), y.data(), 30, &rxy);
  pearson_r(y.data(), x.data(), 30, &ryx);
  pearson_r(mapped.data(), y.data(), 30, &rm);
  EXPECT_EQ(rxy, ryx);
  EXPECT_NEAR(rxy, static_cast<double>(correlation_of(x, y)), sum_tolerance(30));
  EXPECT_NEAR(rm, -rxy, sum_tolerance(30));
  pearson_r(x.data(), line.data(), 30, &rm);
  EXPECT_NEAR(rm, 1.0f, test_support::kTol8);
  pearson_r(flat.data(), line.data(), 30, &rm);
  EXPECT_EQ(rm, 0.0f);
  pearson_r_with_probability(x.data(), x.data(), 10, &rm, &prob);  // r = 1 exactly: t stays finite
  EXPECT_EQ(rm, 1.0f);
  EXPECT_EQ(prob, 0.0f);
  pearson_r_with_probability(x.data(), minus.data(), 10, &rm, &prob);
  EXPECT_EQ(rm, -1.0f);
  EXPECT_EQ(prob, 0.0f);
  pearson_r_with_probability(x.data(), y.data(), 2, &rm, &prob);
  EXPECT_TRUE(std::isnan(prob));

  // Deviations (1, -1, 0, ...) and (1, 0, -1, 0, ...) about zero means give r = 1/2 exactly.
  std::vector<float> u(11, 0.0f), v(11, 0.0f);
  u[1] = v[1] = 1.0f;
  u[2] = v[3] = -1.0f;
  pearson_r_with_probability(u.data(), v.data(), 10, &rm, &prob);
  const Real t = 0.5L * std::sqrt(8.0L / 0.75L);
  EXPECT_EQ(rm, 0.5f);
  EXPECT_NEAR(prob, static_cast<double>(t_tail(t, 8)), tail_tolerance(t_tail(t, 8), t, 8));
}

TEST(RunningUpdates, FirstPairAndExactLines) {
  float c = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, r = 5, a = 0, b = 5, my = 0;
  running_correlation_update(2, 3, &c, &sx, &sy, &sxx, &syy, &sxy, &r);
  EXPECT_EQ(r, 0.0f);
  c = sx = sy = sxx = syy = sxy = 0;
  running_line_update(2, 3, &c, &sx, &sy, &sxx, &syy, &sxy, &a, &b, &my);
  EXPECT_TRUE(b == 0.0f && my == 3.0f && a == 3.0f);
  for (float sign : {1.0f, -1.0f}) {  // y = +-x: every deviation of y is +-that of x, so r = +-1
    c = sx = sy = sxx = syy = sxy = 0;
    for (int i = 0; i < 20; ++i)
      running_correlation_update(0.3f * float(i * i % 7), sign * 0.3f * float(i * i % 7), &c, &sx, &sy, &sxx,
                                 &syy, &sxy, &r);
    EXPECT_EQ(r, sign);
  }
  c = sx = sy = sxx = syy = sxy = 0;
  double mean_y = 0;
  for (int i = 0; i < 50; ++i) {  // points of y = 3x - 2
    const float xi = float((i * 17) % 23);
    mean_y += (3.0 * xi - 2.0) / 50;
    running_line_update(xi, 3 * xi - 2, &c, &sx, &sy, &sxx, &syy, &sxy, &a, &b, &my);
  }
  EXPECT_NEAR(b, 3.0, 3 * sum_tolerance(50));
  EXPECT_NEAR(a, -2.0, 30 * sum_tolerance(50));
  EXPECT_NEAR(my, mean_y, mean_y * sum_tolerance(50));
}

TEST(Spearman, PerfectOrderReversalAndAllTied) {
  std::vector<float> up = ob({1, 2, 3, 4, 5}), down = ob({5, 4, 3, 2, 1}), tied = ob({7, 7, 7, 7, 7});
  const Real p2 = std::erfc(std::sqrt(2.0L));  // P(|Z| >= 2)
  float d, zd, probd, rs, probrs;
  spearman_rank_correlation(up.data(), up.data(), 5, &d, &zd, &probd, &rs, &probrs);
  EXPECT_TRUE(d == 0.0f && rs == 1.0f && zd == -2.0f && probrs >= 0.0f && probrs < 1e-20f);
  EXPECT_NEAR(probd, static_cast<double>(p2), erfc_tolerance(p2, std::sqrt(2.0L)));
  spearman_rank_correlation(up.data(), down.data(), 5, &d, &zd, &probd, &rs, &probrs);
  EXPECT_TRUE(d == 40.0f && rs == -1.0f && zd == 2.0f);
  EXPECT_NEAR(probd, static_cast<double>(p2), erfc_tolerance(p2, std::sqrt(2.0L)));
  EXPECT_EQ(down, ob({5, 4, 3, 2, 1}));
  zd = probd = 123.0f;
  spearman_rank_correlation(tied.data(), up.data(), 5, &d, &zd, &probd, &rs, &probrs);
  EXPECT_TRUE(rs == 0.0f && probrs == 0.0f && zd == 123.0f && probd == 123.0f);
}

// With ties, rs is Pearson's r of the mid-ranks and zd measures d against its tie-corrected mean and
// spread under no association.
TEST(Spearman, TiedSamplesFollowTheDefinitions) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const std::size_t n = 8 + 9 * seed;
    std::vector<float> a = normal(n, 0.0f, 3.0f, seed), b = normal(n, 0.0f, 3.0f, seed + 7);
    for (std::size_t i = 1; i <= n; ++i) {
      b[i] += a[i] * 0.4f * float(seed % 4);
      a[i] = std::round(a[i]);
      if (seed % 2) b[i] = std::round(b[i]);
    }
    std::vector<Real> ra(n + 1), rb(n + 1);
    Real sf = 0, sg = 0, squares = 0, en = Real(n), en3n = en * en * en - en;
    for (std::size_t i = 1; i <= n; ++i) {
      const auto below = [&](const std::vector<float>& v) {
        return std::count_if(v.begin() + 1, v.end(), [&](float u) { return u < v[i]; });
      };
      const Real ta = Real(std::count(a.begin() + 1, a.end(), a[i])),
                 tb = Real(std::count(b.begin() + 1, b.end(), b[i]));
      ra[i] = Real(below(a)) + (ta + 1) / 2;  // mid-rank
      rb[i] = Real(below(b)) + (tb + 1) / 2;
      sf += ta * ta - 1;  // each of t members adds (t^3 - t) / t
      sg += tb * tb - 1;
      squares += (ra[i] - rb[i]) * (ra[i] - rb[i]);
    }
    const Real mean_d = en3n / 6 - (sf + sg) / 12;
    const Real sd_d =
        std::sqrt((en - 1) * en * en * (en + 1) * (en + 1) / 36 * (1 - sf / en3n) * (1 - sg / en3n));
    const Real expected_zd = (squares - mean_d) / sd_d;
    const std::vector<float> a_in = a, b_in = b;
    float d, zd, probd, rs, probrs;
    spearman_rank_correlation(a.data(), b.data(), std::uint32_t(n), &d, &zd, &probd, &rs, &probrs);
    EXPECT_EQ(Real(d), squares);
    // zd subtracts the float mean of d (about n^3 / 6): its rounding relative to the spread.
    EXPECT_NEAR(zd, static_cast<double>(expected_zd),
                double(2 * kEps * (mean_d / sd_d + std::fabs(expected_zd))));
    EXPECT_NEAR(rs, static_cast<double>(correlation_of(ra, rb)),
                test_support::kTol8);  // d and the tie sums are exact
    const Real x = std::fabs(Real(zd)) / std::sqrt(2.0L),
               t = rs * std::sqrt((en - 2) / ((1 - rs) * (1 + Real(rs))));
    EXPECT_NEAR(probd, static_cast<double>(std::erfc(x)), erfc_tolerance(std::erfc(x), x));
    EXPECT_NEAR(probrs, static_cast<double>(t_tail(t, en - 2)), tail_tolerance(t_tail(t, en - 2), t, en - 2));
    EXPECT_TRUE(a == a_in && b == b_in);
  }
}

}  // namespace
