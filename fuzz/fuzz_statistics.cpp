// Fuzz target for the statistics family: mean_and_variance, both t statistics, the two-sample KS
// distance, Pearson's r (alone, with its significance and as running updates), the running line,
// Spearman's rank correlation, fit_line (unweighted and weighted), the three tail probabilities and
// their inverse searches. Checks:
//  - every array is allocated with exactly its one-based bounds, so a read or write outside [1, n] is
//    caught by the address checker;
//  - statistics are finite where the data allow (NaN only where documented: the variance of one value);
//    variances are not negative; D in [0, 1]; r and rs in [-1, 1] up to a unit of rounding;
//  - probabilities (the significances, probd, probrs, fit_line's q and the tail functions) lie in
//    [0, 1]; t_probability with df = 0 is NaN, as documented, and correlation_probability with n = 2
//    may be;
//  - every inverse search ends with a finite value within its reach, start +- 25 steps.
//
// Keeping the input in range (what would end the process or lies outside a routine's contract is
// never fed):
//  - byte 0 gives na, byte 1 nb (each 1..kMaxCount); byte 2 the power-of-two scale 2^e, e in [-30, 12];
//    the data are little-endian 16-bit integers times 2^e: exact in float, and small enough that the
//    float sums of squares and their products neither overflow nor underflow;
//  - the tests of two samples and Pearson's significance get at least two values per sample (three
//    pairs for the significances), as documented;
//  - the weighted fit (whose gammq ends the process for n <= 2) gets n >= 3 and deviations
//    (1 + u16 / 256) 2^e, so that chi-square stays finite and its gammq(n/2 - 1, chi2/2), with
//    n/2 - 1 < 32, converges;
//  - the tail functions take any finite statistic (r within [-1, 1]) and degrees of freedom of any
//    size; the inverse searches any p in [0, 1].
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "numerics/numerics.h"
#include "support/tolerance.h"

namespace {

constexpr int kMaxCount = 64;
constexpr float kRoundingAboveOne = static_cast<float>(1.0 + test_support::kTol4);

[[noreturn]] void fail(const char* what, double a = 0.0, double b = 0.0) {
  std::fprintf(stderr, "statistics misbehaved: %s (%.9g, %.9g)\n", what, a, b);
  std::abort();
}

void check(bool ok, const char* what, double a = 0.0, double b = 0.0) {
  if (!ok) fail(what, a, b);
}

bool probability(float p) { return p >= 0.0f && p <= 1.0f; }

// One-based array with exactly n elements.
struct Sample {
  float* v;
  int n;
  Sample(fuzz_input::Reader& in, int count, float scale) : v(numerics::vector(1, count)), n(count) {
    for (int i = 1; i <= n; ++i) v[i] = static_cast<float>(static_cast<std::int16_t>(in.u16())) * scale;
  }
  Sample(const Sample&) = delete;
  Sample& operator=(const Sample&) = delete;
  ~Sample() { numerics::release_vector(v, 1, n); }
  auto count() const { return static_cast<std::uint32_t>(n); }
};

void check_moments_and_tests(const Sample& a, const Sample& b) {
  float mean = 0.0f, variance = 0.0f;
  numerics::mean_and_variance(a.v, a.count(), &mean, &variance);
  check(std::isfinite(mean), "mean not finite");
  if (a.n == 1) {
    check(std::isnan(variance), "variance of one value is not NaN", variance);
  } else {
    check(std::isfinite(variance) && variance >= 0.0f, "variance negative or not finite", variance);
  }
  if (a.n < 2 || b.n < 2) return;
  float t = 0.0f;
  numerics::student_t_pooled(a.v, a.count(), b.v, b.count(), &t);
  check(std::isfinite(t), "pooled t not finite", t);
  numerics::student_t_unequal(a.v, a.count(), b.v, b.count(), &t);
  check(std::isfinite(t), "unequal-variance t not finite", t);
}

void check_ks(fuzz_input::Reader& in, int na, int nb, float scale) {
  Sample a(in, na, scale);
  Sample b(in, nb, scale);
  float d = -1.0f;
  numerics::ks_two_sample_distance(a.v, a.count(), b.v, b.count(), &d);
  check(probability(d), "KS distance outside [0, 1]", d);
  for (int i = 1; i < a.n; ++i) check(a.v[i] <= a.v[i + 1], "KS left the first sample unsorted");
  for (int i = 1; i < b.n; ++i) check(b.v[i] <= b.v[i + 1], "KS left the second sample unsorted");
}

void check_correlations(const Sample& x, const Sample& y) {
  const std::uint32_t n = x.count();
  float r = 2.0f;
  numerics::pearson_r(x.v, y.v, n, &r);
  check(std::fabs(r) <= kRoundingAboveOne, "r outside [-1, 1]", r);
  if (n >= 3) {
    float prob = -1.0f;
    numerics::pearson_r_with_probability(x.v, y.v, n, &r, &prob);
    check(probability(prob), "significance of r outside [0, 1]", r, prob);
  }

  float count = 0, sum_x = 0, sum_y = 0, sxx = 0, syy = 0, sxy = 0, running_r = 0;
  float lc = 0, lsx = 0, lsy = 0, lxx = 0, lyy = 0, lxy = 0, intercept = 0, slope = 0, mean_y = 0;
  for (int i = 1; i <= x.n; ++i) {
    numerics::running_correlation_update(x.v[i], y.v[i], &count, &sum_x, &sum_y, &sxx, &syy, &sxy,
                                         &running_r);
    check(std::isfinite(running_r) && std::fabs(running_r) <= kRoundingAboveOne, "running r outside [-1, 1]",
          running_r);
    numerics::running_line_update(x.v[i], y.v[i], &lc, &lsx, &lsy, &lxx, &lyy, &lxy, &intercept, &slope,
                                  &mean_y);
    check(std::isfinite(intercept) && std::isfinite(slope) && std::isfinite(mean_y),
          "running line not finite");
  }

  float d = -1, zd = 0, probd = 0.5f, rs = 0, probrs = 0;
  numerics::spearman_rank_correlation(x.v, y.v, n, &d, &zd, &probd, &rs, &probrs);
  check(std::isfinite(d) && d >= 0.0f, "Spearman's d negative or not finite", d);
  if (n < 2) return;  // one pair divides 0 by 0 (n^3 - n = 0): the IEEE result, as documented
  check(std::fabs(rs) <= kRoundingAboveOne, "rs outside [-1, 1]", rs);
  check(probability(probd), "probd outside [0, 1]", probd);
  if (n >= 3) check(probability(probrs), "probrs outside [0, 1]", rs, probrs);
}

void check_fit(fuzz_input::Reader& in, const Sample& x, const Sample& y, float scale) {
  const int n = x.n;
  float a, b, siga, sigb, chi2, q;
  numerics::fit_line(x.v, y.v, n, nullptr, 0, &a, &b, &siga, &sigb, &chi2, &q);
  check(q == 1.0f, "unweighted q is not 1", q);
  check(!(chi2 < 0.0f), "negative chi-square", chi2);
  if (n < 3) return;
  float* sig = numerics::vector(1, n);
  for (int i = 1; i <= n; ++i) sig[i] = (1.0f + static_cast<float>(in.u16()) / 256.0f) * scale;
  numerics::fit_line(x.v, y.v, n, sig, 1, &a, &b, &siga, &sigb, &chi2, &q);
  // Equal abscissae leave the slope undefined (documented); then q follows the IEEE result.
  bool spread = false;
  for (int i = 2; i <= n; ++i) spread = spread || x.v[i] != x.v[1];
  if (spread) {
    check(std::isfinite(chi2) && chi2 >= 0.0f, "weighted chi-square negative or not finite", chi2);
    check(probability(q), "goodness of fit outside [0, 1]", chi2, q);
  }
  numerics::release_vector(sig, 1, n);
}

// Degrees of freedom of every size, small ones as often as large.
std::uint32_t degrees(fuzz_input::Reader& in) { return in.u32() >> (in.byte() % 32); }

float finite_statistic(fuzz_input::Reader& in) {
  const float s = in.any_float();
  return std::isfinite(s) ? s : 0.0f;
}

void check_tails(fuzz_input::Reader& in) {
  const std::uint32_t df = degrees(in);
  const std::uint32_t df2 = degrees(in);
  const float t = finite_statistic(in);
  const float tp = numerics::t_probability(t, df);
  if (df == 0) {
    check(std::isnan(tp), "t_probability with df = 0 is not NaN", tp);
  } else {
    check(probability(tp), "t_probability outside [0, 1]", t, tp);
  }
  const float r = 2.0f * in.unit() - 1.0f;
  const float rp = numerics::correlation_probability(r, df);
  if (df == 2) {
    // No degrees of freedom left: 0 / 0 inside, NaN or what incomplete_beta gives for it (documented).
    check(std::isnan(rp) || probability(rp), "correlation_probability with n = 2 outside [0, 1]", r, rp);
  } else {
    check(probability(rp), "correlation_probability outside [0, 1]", r, rp);
  }
  const float f = finite_statistic(in);
  if (df != 0 && df2 != 0) {
    const float fp = numerics::f_probability(f, df, df2);
    check(probability(fp), "f_probability outside [0, 1]", f, fp);
  }

  const float p = in.unit();
  const float ts = numerics::t_for_probability(p, df);
  check(std::isfinite(ts) && std::fabs(ts - 4.0f) <= 50.0f, "t search out of reach", p, ts);
  const float rs = numerics::correlation_for_probability(p, df);
  check(std::isfinite(rs) && std::fabs(rs - 0.4f) <= 5.0f, "r search out of reach", p, rs);
  const float fs = numerics::f_for_probability(p, df, df2);
  check(std::isfinite(fs) && std::fabs(fs - 10.0f) <= 50.0f, "F search out of reach", p, fs);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_input::Reader in(data, size);
  const int na = 1 + in.byte() % kMaxCount;
  const int nb = 1 + in.byte() % kMaxCount;
  const float scale = std::ldexp(1.0f, static_cast<int>(in.byte() % 43) - 30);
  {
    Sample a(in, na, scale);
    Sample b(in, nb, scale);
    check_moments_and_tests(a, b);
  }
  check_ks(in, na, nb, scale);
  {
    Sample x(in, na, scale);
    Sample y(in, na, scale);
    check_correlations(x, y);
    check_fit(in, x, y, scale);
  }
  check_tails(in);
  return 0;
}
