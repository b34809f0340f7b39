// Descriptive statistics and two-sample or paired tests over one-based float arrays: mean and
// variance, Student's t (pooled and unequal variances), the two-sample Kolmogorov-Smirnov distance,
// Pearson's r with its significance, running correlation and regression updates, and Spearman's rank
// correlation with the significance of its sum of squared rank differences.
#include <cmath>
#include <cstdint>
#include <limits>

#include "numerics/numerics.h"

namespace numerics {
namespace {

// Keeps the t transform of a correlation finite at r = +-1.
constexpr double kCorrelationGuard = 1e-20;
// sqrt(2) to eight digits, scaling a standard normal deviate for erfc.
constexpr double kSqrt2 = 1.4142136;

struct Moments {
  float mean;
  float variance;
};

Moments moments(const float* data, std::uint32_t n) {
  Moments m{};
  mean_and_variance(data, n, &m.mean, &m.variance);
  return m;
}

// A correlation that rounding carried past +-1 (1.00000012 for nearly collinear data) is taken as +-1:
// beyond it (1 - r)(1 + r) is negative and the significance came out NaN. Values inside are untouched.
float within_one(float r) {
  if (r > 1.0f) return 1.0f;
  if (r < -1.0f) return -1.0f;
  return r;
}

// Pearson's r from two passes in single precision; 0 when either spread vanishes.
float correlation(const float* x, const float* y, std::uint32_t n) {
  const float count = static_cast<float>(n);
  float sum_x = 0.0f;
  float sum_y = 0.0f;
  for (std::uint32_t j = 1; j <= n; ++j) {
    sum_x += x[j];
    sum_y += y[j];
  }
  const float mean_x = sum_x / count;
  const float mean_y = sum_y / count;
  float sxx = 0.0f;
  float syy = 0.0f;
  float sxy = 0.0f;
  for (std::uint32_t j = 1; j <= n; ++j) {
    const float dx = x[j] - mean_x;
    const float dy = y[j] - mean_y;
    sxx += dx * dx;
    syy += dy * dy;
    sxy += dx * dy;
  }
  const float den = std::sqrt(sxx * syy);
  return den > 0.0f ? within_one(sxy / den) : 0.0f;
}

// Two-sided significance of a correlation r over n pairs through Student's t with n - 2 degrees of
// freedom. The t transform is evaluated in double, since (1 - r)(1 + r) cancels badly near |r| = 1.
float correlation_significance(float r, std::uint32_t n) {
  const float df = static_cast<float>(n - 2u);
  const double rd = static_cast<double>(within_one(r));
  const double spread = (1.0 - rd + kCorrelationGuard) * (1.0 + rd + kCorrelationGuard);
  const float t = static_cast<float>(rd * std::sqrt(static_cast<double>(df) / spread));
  const float half_df = static_cast<float>(0.5 * static_cast<double>(df));
  return incomplete_beta(half_df, 0.5f, df / (df + t * t));
}

// One step of the running sums shared by the two running updates; the deviations use the means that
// already include the new pair.
void running_sums_update(float x, float y, float* count, float* sum_x, float* sum_y, float* sxx, float* syy,
                         float* sxy) {
  *count += 1.0f;
  *sum_x += x;
  *sum_y += y;
  const float dx = x - *sum_x / *count;
  const float dy = y - *sum_y / *count;
  *sxx += dx * dx;
  *syy += dy * dy;
  *sxy += dx * dy;
}

// Sum of squared rank differences; each addition in double, rounded back to float.
float squared_rank_differences(const float* w1, const float* w2, std::uint32_t n) {
  float d = 0.0f;
  for (std::uint32_t j = 1; j <= n; ++j) {
    const float diff = w1[j] - w2[j];
    d = static_cast<float>(static_cast<double>(d) + static_cast<double>(diff * diff));
  }
  return d;
}

}  // namespace

// Two-pass corrected variance: the sum of the deviations ep removes the rounding error of the mean.
void mean_and_variance(const float* data, std::uint32_t n, float* mean, float* variance) {
  const float count = static_cast<float>(n);
  float sum = 0.0f;
  for (std::uint32_t j = 1; j <= n; ++j) sum += data[j];
  const float m = sum / count;
  float ep = 0.0f;
  float var = 0.0f;
  for (std::uint32_t j = 1; j <= n; ++j) {
    const float s = data[j] - m;
    ep += s;
    var += s * s;
  }
  *mean = m;
  *variance = (var - ep * ep / count) / static_cast<float>(n - 1u);
}

void student_t_pooled(const float* data1, std::uint32_t na, const float* data2, std::uint32_t nb, float* t) {
  const Moments a = moments(data1, na);
  const Moments b = moments(data2, nb);
  const float df = static_cast<float>(na + nb - 2u);
  const float svar =
      (static_cast<float>(na - 1u) * a.variance + static_cast<float>(nb - 1u) * b.variance) / df;
  if (svar == 0.0f) {
    *t = 0.0f;
    return;
  }
  // The standard error is formed in double from the double reciprocals of the counts.
  const double scale =
      static_cast<double>(svar) * (1.0 / static_cast<double>(na) + 1.0 / static_cast<double>(nb));
  *t = static_cast<float>(static_cast<double>(a.mean - b.mean) / std::sqrt(scale));
}

void student_t_unequal(const float* data1, std::uint32_t na, const float* data2, std::uint32_t nb, float* t) {
  const Moments a = moments(data1, na);
  const Moments b = moments(data2, nb);
  if (a.variance == 0.0f && b.variance == 0.0f) {
    *t = 0.0f;
    return;
  }
  *t = (a.mean - b.mean) /
       std::sqrt(a.variance / static_cast<float>(na) + b.variance / static_cast<float>(nb));
}

// Largest distance between the two empirical distribution functions, walking both sorted samples
// together. A NaN sample value cannot be ordered against the other sample; the distance is then
// undefined and D is NaN (the walk would otherwise stop advancing and never end).
void ks_two_sample_distance(float* data1, std::uint32_t na, float* data2, std::uint32_t nb, float* d) {
  sort(na, data1);
  sort(nb, data2);
  const float ena = static_cast<float>(na);
  const float enb = static_cast<float>(nb);
  std::uint32_t j1 = 1;
  std::uint32_t j2 = 1;
  float fn1 = 0.0f;
  float fn2 = 0.0f;
  *d = 0.0f;
  while (j1 <= na && j2 <= nb) {
    const float d1 = data1[j1];
    const float d2 = data2[j2];
    const bool first_advances = d1 <= d2;
    const bool second_advances = d2 <= d1;
    if (!first_advances && !second_advances) {
      *d = std::numeric_limits<float>::quiet_NaN();
      return;
    }
    if (first_advances) fn1 = static_cast<float>(j1++) / ena;
    if (second_advances) fn2 = static_cast<float>(j2++) / enb;
    const float dt = std::fabs(fn2 - fn1);
    if (dt > *d) *d = dt;
  }
}

void pearson_r(const float* x, const float* y, std::uint32_t n, float* r) { *r = correlation(x, y, n); }

void pearson_r_with_probability(const float* x, const float* y, std::uint32_t n, float* r, float* prob) {
  const float rr = correlation(x, y, n);
  *r = rr;
  *prob = correlation_significance(rr, n);
}

void running_correlation_update(float x, float y, float* count, float* sum_x, float* sum_y, float* sxx,
                                float* syy, float* sxy, float* r) {
  running_sums_update(x, y, count, sum_x, sum_y, sxx, syy, sxy);
  const float den = std::sqrt(*sxx * *syy);
  *r = den > 0.0f ? *sxy / den : 0.0f;
}

void running_line_update(float x, float y, float* count, float* sum_x, float* sum_y, float* sxx, float* syy,
                         float* sxy, float* intercept, float* slope, float* mean_y) {
  running_sums_update(x, y, count, sum_x, sum_y, sxx, syy, sxy);
  *slope = *sxx > 0.0f ? *sxy / *sxx : 0.0f;
  *mean_y = *sum_y / *count;
  *intercept = *mean_y - (*slope * *sum_x) / *count;
}

// Spearman's rank correlation with tie corrections. d is the sum of squared rank differences, zd its
// departure from the expectation under no association in standard deviations, probd the two-sided
// normal significance of zd, rs the rank correlation and probrs its significance through Student's t.
// Steps that mix large cubic terms of n are carried in double and rounded once.
void spearman_rank_correlation(const float* data1, const float* data2, std::uint32_t n, float* d, float* zd,
                               float* probd, float* rs, float* probrs) {
  float* w1 = vector(1, static_cast<int>(n));
  float* w2 = vector(1, static_cast<int>(n));
  for (std::uint32_t j = 1; j <= n; ++j) {
    w1[j] = data1[j];
    w2[j] = data2[j];
  }
  float sf = 0.0f;
  float sg = 0.0f;
  sort2(n, w1, w2);
  rank_with_ties(n, w1, &sf);
  sort2(n, w2, w1);
  rank_with_ties(n, w2, &sg);
  *d = squared_rank_differences(w1, w2, n);

  const float en = static_cast<float>(n);
  const float en3n = en * en * en - en;
  const float ties = sf + sg;
  const float aved = static_cast<float>(static_cast<double>(en3n) / 6.0 - static_cast<double>(ties) / 12.0);
  const float fac =
      static_cast<float>((1.0 - static_cast<double>(sf / en3n)) * (1.0 - static_cast<double>(sg / en3n)));
  const float en_plus_1 = static_cast<float>(static_cast<double>(en) + 1.0);
  const float en_plus_1_squared = en_plus_1 * en_plus_1;
  const float vard =
      static_cast<float>((static_cast<double>(en) - 1.0) * static_cast<double>(en) * static_cast<double>(en) *
                         static_cast<double>(en_plus_1_squared) / 36.0 * static_cast<double>(fac));
  if (vard == 0.0f || fac == 0.0f) {
    *rs = 0.0f;
    *probrs = 0.0f;
  } else {
    *zd = (*d - aved) / std::sqrt(vard);
    *probd = complementary_error_function(static_cast<float>(static_cast<double>(std::fabs(*zd)) / kSqrt2));
    const double spread = static_cast<double>(*d) + static_cast<double>(ties) / 12.0;
    *rs = static_cast<float>((1.0 - (6.0 / static_cast<double>(en3n)) * spread) /
                             static_cast<double>(std::sqrt(fac)));
    *probrs = correlation_significance(*rs, n);
  }
  release_vector(w2, 1, static_cast<int>(n));
  release_vector(w1, 1, static_cast<int>(n));
}

}  // namespace numerics
