// Agreement lines of the statistical tests on fixed samples: the statistics (arithmetic and square
// roots) and their significances (through the incomplete beta function or erfc).
#include <cstdint>
#include <vector>

#include "agreement.h"
#include "numerics/numerics.h"

namespace {

std::vector<float> sample(std::uint32_t n, std::uint32_t seed, float low, float high) {
  std::vector<float> values(n + 1, 0.0f);
  for (std::uint32_t i = 1; i <= n; ++i) values[i] = agreement::fixed_value(seed + i, low, high);
  return values;
}

void agree_moments_and_t() {
  std::vector<float> a = sample(23, 100, 2.0f, 9.0f);
  std::vector<float> b = sample(17, 200, 1.0f, 7.5f);
  float mean = 0, variance = 0, pooled = 0, unequal = 0;
  numerics::mean_and_variance(a.data(), 23, &mean, &variance);
  numerics::student_t_pooled(a.data(), 23, b.data(), 17, &pooled);
  numerics::student_t_unequal(a.data(), 23, b.data(), 17, &unequal);
  agreement::emit("mean_variance_t", {mean, variance, pooled, unequal});

  float distance = 0;
  numerics::ks_two_sample_distance(a.data(), 23, b.data(), 17, &distance);
  agreement::emit("ks_two_sample_distance", {distance});
}

void agree_correlations() {
  std::vector<float> x = sample(30, 300, -3.0f, 3.0f);
  std::vector<float> y = sample(30, 400, -1.0f, 1.0f);
  for (std::uint32_t i = 1; i <= 30; ++i) y[i] += 0.4f * x[i];
  float r = 0, r2 = 0, prob = 0;
  numerics::pearson_r(x.data(), y.data(), 30, &r);
  numerics::pearson_r_with_probability(x.data(), y.data(), 30, &r2, &prob);
  agreement::emit("pearson_r", {r, r2});
  agreement::emit("pearson_probability", {prob});

  float count = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, running_r = 0;
  float lc = 0, lsx = 0, lsy = 0, lsxx = 0, lsyy = 0, lsxy = 0, intercept = 0, slope = 0, mean_y = 0;
  for (std::uint32_t i = 1; i <= 30; ++i) {
    numerics::running_correlation_update(x[i], y[i], &count, &sx, &sy, &sxx, &syy, &sxy, &running_r);
    numerics::running_line_update(x[i], y[i], &lc, &lsx, &lsy, &lsxx, &lsyy, &lsxy, &intercept, &slope,
                                  &mean_y);
  }
  agreement::emit("running_updates", {running_r, sxx, syy, sxy, intercept, slope, mean_y});

  std::vector<float> u = sample(25, 500, 0.0f, 10.0f);
  std::vector<float> v = sample(25, 600, 0.0f, 4.0f);
  for (std::uint32_t i = 1; i <= 25; ++i) {
    u[i] = static_cast<float>(static_cast<int>(u[i]));  // ties in the first sample
    v[i] += 0.3f * u[i];
  }
  float d = 0, zd = 0, probd = 0, rs = 0, probrs = 0;
  numerics::spearman_rank_correlation(u.data(), v.data(), 25, &d, &zd, &probd, &rs, &probrs);
  agreement::emit("spearman", {d, zd, rs});
  agreement::emit("spearman_probd", {probd});
  agreement::emit("spearman_probrs", {probrs});
}

}  // namespace

void agree_stattests() {
  agree_moments_and_t();
  agree_correlations();
}
