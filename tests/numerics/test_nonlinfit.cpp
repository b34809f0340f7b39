// Tests of the Gauss-Jordan solver, the covariance spreading, the sum-of-Gaussians model, the
// curvature matrix and the Levenberg-Marquardt iteration with its start, steps, finish and restart,
// and the fast Gauss-Jordan kernels against the reference step order (numerics::reference), bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "numerics/numerics.h"
#include "numerics/reference/reference.h"
#include "support/bordered.h"
#include "support/fatal_message.h"
#include "support/residuals.h"
#include "support/simd_paths.h"
#include "support/tolerance.h"

namespace {

using numerics::gaussj;
using numerics::nonlinear_fit_step;

using test_support::Bordered;
using test_support::Dense;
using test_support::kEps;
using test_support::kResidualLimit;
using test_support::kSentinel;
// The first Levenberg-Marquardt step is a small correction to p, so the rounding of its float solve
// shows only at the level of a few eps |p|.
constexpr double kStepTolerance = test_support::kTol16;

// The sum-of-Gaussians model in long double, and its derivatives by central differences.
long double model_ld(long double x, const std::vector<long double>& p) {
  long double sum = 0;
  for (std::size_t i = 1; i + 2 < p.size(); i += 3) {
    const long double t = (x - p[i + 1]) / p[i + 2];
    sum += p[i] * std::exp(-t * t);
  }
  return sum;
}

// The model's partial derivative by parameter j, differentiated by hand: for a·exp(-t²) with
// t = (x - b)/c, d/da = exp(-t²), d/db = a·exp(-t²)·2t/c, d/dc = a·exp(-t²)·2t²/c. (Analytic rather than
// finite differences, so that the reference keeps its accuracy where long double is only double, as
// under valgrind.)
long double derivative_ld(long double x, const float* params, int nparams, int j) {
  const int first = j - (j - 1) % 3;
  if (first + 2 > nparams) return 0;
  const long double a = params[first], b = params[first + 1], c = params[first + 2];
  const long double t = (x - b) / c, e = std::exp(-t * t);
  switch (j - first) {
    case 0:
      return e;
    case 1:
      return a * e * 2 * t / c;
    default:
      return a * e * 2 * t * t / c;
  }
}

using Rows = std::vector<std::vector<long double>>;

// Solves the one-based system A X = B held as rows [A | B] (columns 1..n, n+1..n+m) by Gauss-Jordan
// elimination with partial pivoting in long double; returns the rows with X in columns n+1..n+m.
Rows solve_ld(Rows rows, int n, int m) {
  for (int c = 1; c <= n; ++c) {
    int p = c;
    for (int r = c + 1; r <= n; ++r)
      if (std::fabs(rows[r][c]) > std::fabs(rows[p][c])) p = r;
    std::swap(rows[c], rows[p]);
    for (int l = n + m; l >= c; --l) rows[c][l] /= rows[c][c];
    for (int r = 1; r <= n; ++r) {
      if (r == c) continue;
      const long double f = rows[r][c];
      for (int l = c; l <= n + m; ++l) rows[r][l] -= f * rows[c][l];
    }
  }
  return rows;
}

// Every output of gaussj (or its reference) on copies of a and b: both with their borders.
std::vector<float> inversion(const Bordered& a, const Bordered& b,
                             void (*invert)(float**, int, float**, int)) {
  Bordered a1(a.rows, a.cols), b1(b.rows, b.cols);
  std::copy(a.all(), a.all() + a.slots(), &a1.m[0][0]);
  std::copy(b.all(), b.all() + b.slots(), &b1.m[0][0]);
  invert(a1.m, a.rows, b1.m, b.cols);
  std::vector<float> out(a1.all(), a1.all() + a1.slots());
  out.insert(out.end(), b1.all(), b1.all() + b1.slots());
  return out;
}

// |X A - I| / (|X| |A| n eps), for A = original and X = its computed inverse.
double inverse_residual(float** x, float** a, int n) {
  return test_support::solution_score(Dense::of(x, n, n), Dense::of(a, n, n), Dense::identity(n));
}

TEST(Gaussj, SmallExamples) {
  Bordered a(3, 3), b(3, 1);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) a.m[i][j] = (i == j) ? 1.0f : 0.0f;
  for (int i = 1; i <= 3; ++i) b.m[i][1] = static_cast<float>(i);
  gaussj(a.m, 3, b.m, 1);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(a.m[i][j], (i == j) ? 1.0f : 0.0f);
    EXPECT_EQ(b.m[i][1], static_cast<float>(i));
  }
  float** d = a.m;  // diag(2, 4) with b = (2, 4): inverse diag(1/2, 1/4), solution (1, 1)
  d[1][1] = 2, d[1][2] = 0, d[2][1] = 0, d[2][2] = 4, b.m[1][1] = 2, b.m[2][1] = 4;
  gaussj(d, 2, b.m, 1);
  EXPECT_TRUE(d[1][1] == 0.5f && d[1][2] == 0 && d[2][1] == 0 && d[2][2] == 0.25f);
  EXPECT_TRUE(b.m[1][1] == 1 && b.m[2][1] == 1);
  d[1][1] = 0, d[1][2] = 1, d[2][1] = 1, d[2][2] = 0;  // needs a row exchange; its own inverse
  gaussj(d, 2, nullptr, 0);                            // no right-hand side at all
  EXPECT_TRUE(d[1][1] == 0 && d[1][2] == 1 && d[2][1] == 1 && d[2][2] == 0);
  EXPECT_TRUE(a.border_intact() && b.border_intact());
}

// Random well-conditioned matrices with rows shuffled, so that full pivoting must exchange rows and
// unscramble columns; solutions against long double elimination with partial pivoting.
TEST(Gaussj, InverseAndSolutionsOfRandomMatrices) {
  std::mt19937 gen(20240611);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int n : {1, 2, 3, 5, 8, 17, 40}) {
    Bordered a(n, n), copy(n, n), b(n, 2);
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i) order[i] = i + 1;
    std::shuffle(order.begin(), order.end(), gen);
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j)
        a.m[i][j] = unit(gen) + (order[i - 1] == j ? 2.0f * static_cast<float>(n) : 0.0f);
      b.m[i][1] = unit(gen), b.m[i][2] = 10.0f * unit(gen);
    }
    Rows ref(n + 1, std::vector<long double>(n + 3));
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) copy.m[i][j] = a.m[i][j], ref[i][j] = a.m[i][j];
      ref[i][n + 1] = b.m[i][1], ref[i][n + 2] = b.m[i][2];
    }
    ref = solve_ld(ref, n, 2);
    gaussj(a.m, n, b.m, 2);
    EXPECT_LT(inverse_residual(a.m, copy.m, n), kResidualLimit) << "n = " << n;
    for (int col = 1; col <= 2; ++col) {
      long double err = 0, size = 0;
      for (int i = 1; i <= n; ++i) {
        const long double x = ref[i][n + col];
        err = std::max(err, std::fabs(b.m[i][col] - x));
        size = std::max(size, std::fabs(x));
      }
      EXPECT_LT(static_cast<double>(err / size), kResidualLimit * n * kEps) << "n = " << n;
    }
    EXPECT_TRUE(a.border_intact() && b.border_intact()) << "n = " << n;
  }
}

// Entry (i, j) of Sylvester's Hadamard matrix (zero-based): −1 when i AND j has an odd number of ones.
float hadamard_sign(int i, int j) {
  int ones = 0;
  for (int bits = i & j; bits != 0; bits >>= 1) ones += bits & 1;
  return ones % 2 == 1 ? -1.0f : 1.0f;
}

// On every lane path: sizes that leave every remainder of the eight- and four-column lanes and of the
// row pairs, with up to nine right-hand sides, on inputs where the pivot choice among equal magnitudes
// decides the result: small integers (many ties and zeros; even off the diagonal and odd on it, so
// that the determinant is odd and the matrix regular) and ±1 Hadamard matrices (every magnitude
// equal at the start), besides random ones.
TEST(Gaussj, FastKernelsMatchTheReferenceBitForBit) {
  enum Kind { kUniform, kIntegers, kHadamard };
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 15, 16, 17, 23, 31, 32, 33, 64, 66}) {
    for (int m : {0, 1, 2, 5, 9}) {
      for (int kind = kUniform; kind <= kHadamard; ++kind) {
        if (kind == kHadamard && (n & (n - 1)) != 0) continue;  // Sylvester's construction: n = 2^k
        Bordered a(n, n), b(n, m);
        for (int i = 1; i <= n; ++i) {
          for (int j = 1; j <= n; ++j) {
            float x = unit(gen);
            if (kind == kIntegers) x = i == j ? 2.0f * std::round(x) + 1.0f : 2.0f * std::round(1.5f * x);
            if (kind == kHadamard) x = hadamard_sign(i - 1, j - 1);
            a.m[i][j] = x;
          }
          for (int j = 1; j <= m; ++j) b.m[i][j] = std::round(8.0f * unit(gen));
        }
        SCOPED_TRACE(testing::Message() << "n " << n << " m " << m << " kind " << kind);
        test_support::expect_fast_matches_reference(
            [&] { return inversion(a, b, gaussj); },
            [&] { return inversion(a, b, numerics::reference::gaussj); });
      }
    }
  }
}

void invert_with_equal_rows() {
  test_support::ignore_leaks_in_this_process();
  Bordered a(3, 3);
  const float rows[3][3] = {{1, 2, 4}, {2, 1, 8}, {1, 2, 4}};
  for (int i = 1; i <= 3; ++i) std::copy(rows[i - 1], rows[i - 1] + 3, a.m[i] + 1);
  gaussj(a.m, 3, nullptr, 0);
}

void invert_all_nan() {
  test_support::ignore_leaks_in_this_process();
  Bordered a(2, 2);
  for (int i = 1; i <= 2; ++i) std::fill(a.m[i] + 1, a.m[i] + 3, std::nanf(""));
  gaussj(a.m, 2, nullptr, 0);
}

TEST(GaussjDeathTest, SingularOrNaNInputIsFatal) {
  EXPECT_FATAL(invert_with_equal_rows(), "gaussj: Singular Matrix-2");
  EXPECT_FATAL(invert_all_nan(), "gaussj: Singular Matrix-1");
}

TEST(ExpandCovariance, SpreadsFreeBlockByMask) {
  const float p = 1.5f, q = -0.25f, r = 3.0f;
  const std::vector<std::vector<int>> masks = {{0, 1, 0, 1}, {0, 0, 1, 1, 0}};
  const std::vector<std::vector<int>> places = {{1, 3}, {2, 3}};  // where the free ones land
  for (std::size_t c = 0; c < masks.size(); ++c) {
    const int n = static_cast<int>(masks[c].size()) - 1;
    Bordered cov(n, n);
    for (int i = 1; i <= n; ++i) std::fill(cov.m[i] + 1, cov.m[i] + n + 1, 9.0f);  // stale work values
    cov.m[1][1] = p, cov.m[1][2] = q, cov.m[2][1] = q, cov.m[2][2] = r;
    numerics::expand_covariance(cov.m, n, masks[c].data(), 2);
    const int f1 = places[c][0], f2 = places[c][1];
    std::vector<std::vector<float>> want(n + 1, std::vector<float>(n + 1, 0.0f));
    want[f1][f1] = p, want[f1][f2] = q, want[f2][f1] = q, want[f2][f2] = r;
    for (int i = 1; i <= n; ++i)
      for (int j = 1; j <= n; ++j)
        EXPECT_EQ(cov.m[i][j], want[i][j]) << "case " << c << " at " << i << "," << j;
    EXPECT_TRUE(cov.border_intact());
  }
}

TEST(GaussianSum, TabulatedPointsAndPartialTriple) {
  std::vector<float> params = {0, 2, 0, 1}, derivs = {kSentinel, 0, 0, 0, kSentinel};
  float value = 0;
  const double e1 = std::exp(-1.0);
  numerics::gaussian_sum(0.0f, params.data(), &value, derivs.data(), 3);
  EXPECT_TRUE(value == 2 && derivs[1] == 1 && derivs[2] == 0 && derivs[3] == 0);
  numerics::gaussian_sum(1.0f, params.data(), &value, derivs.data(), 3);
  const double want[4] = {2 * e1, e1, 4 * e1, 4 * e1};
  const float got[4] = {value, derivs[1], derivs[2], derivs[3]};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(got[k], want[k], test_support::kTol4 * want[k]) << k;
  EXPECT_TRUE(derivs[0] == kSentinel && derivs[4] == kSentinel);
  // Five parameters: one complete triple; the heap vector's exact bounds expose any read past [5].
  float* five = numerics::vector(1, 5);
  std::copy(params.begin() + 1, params.end(), five + 1);
  five[4] = 7.0f, five[5] = 0.5f;
  std::vector<float> d5(7, kSentinel);
  float value5 = 0;
  numerics::gaussian_sum(1.0f, five, &value5, d5.data(), 5);
  EXPECT_EQ(value5, value);
  EXPECT_TRUE(d5[1] == derivs[1] && d5[2] == derivs[2] && d5[3] == derivs[3]);
  EXPECT_TRUE(d5[4] == 0 && d5[5] == 0 && d5[6] == kSentinel);
  numerics::release_vector(five, 1, 5);
}

// Two overlapping Gaussians over a range where |t| < 2.5, so each result carries a relative error of
// at most about (2 t^2 + 4) eps < 17 eps. The absolute 1e-10 covers derivatives that pass through zero.
TEST(GaussianSum, ValueAndDerivativesAgainstDefinition) {
  std::vector<float> params = {0, 2.5f, -0.5f, 1.2f, -1.25f, 0.7f, 0.9f}, derivs(7);
  const std::vector<long double> p_ld(params.begin(), params.end());
  for (int k = 0; k <= 30; ++k) {
    const float x = -1.5f + 0.1f * static_cast<float>(k);
    float value = 0;
    numerics::gaussian_sum(x, params.data(), &value, derivs.data(), 6);
    const long double v = model_ld(x, p_ld);
    EXPECT_NEAR(value, static_cast<double>(v), test_support::kTol32 * std::fabs(static_cast<double>(v))) << x;
    for (int j = 1; j <= 6; ++j) {
      const double d = static_cast<double>(derivative_ld(x, params.data(), 6, j));
      EXPECT_NEAR(derivs[j], d, test_support::kTol32 * std::fabs(d) + 1e-10) << "x " << x << " j " << j;
    }
  }
}

// Data of the two-Gaussian model plus a ripple of amplitude `noise`, so that the best fit keeps residuals.
struct FitData {
  static constexpr int kPoints = 41, kParams = 6;
  std::vector<float> x, y, sigma;
  std::vector<float> truth = {0, 3.0f, -1.0f, 0.8f, 1.5f, 1.2f, 0.6f};
  std::vector<int> mask = {0, 1, 0, 1, 1, 1, 0};  // centre of the first, width of the second fixed
  explicit FitData(float noise) : x(kPoints + 1), y(kPoints + 1), sigma(kPoints + 1) {
    std::vector<float> d(kParams + 1);
    for (int i = 1; i <= kPoints; ++i) {
      x[i] = -3.0f + 0.15f * static_cast<float>(i - 1);
      numerics::gaussian_sum(x[i], truth.data(), &y[i], d.data(), kParams);
      y[i] += noise * std::sin(3.0f * x[i]);
      sigma[i] = 0.05f + 0.01f * static_cast<float>(i % 4);
    }
  }
};

TEST(FitCurvature, MatchesDefinitionOverFreeParameters) {
  FitData data(0.02f);
  const int n = FitData::kParams, nfree = 4;
  std::vector<float> p = {0, 2.8f, -1.1f, 0.9f, 1.4f, 1.3f, 0.55f}, beta(n + 2, kSentinel);
  Bordered alpha(n, n);
  float chi2 = 0;
  numerics::fit_curvature(data.x.data(), data.y.data(), data.sigma.data(), FitData::kPoints, p.data(),
                          data.mask.data(), n, alpha.m, beta.data(), &chi2, numerics::gaussian_sum);
  std::vector<int> free_index;
  for (int j = 1; j <= n; ++j)
    if (data.mask[j]) free_index.push_back(j);
  const std::vector<long double> p_ld(p.begin(), p.end());
  long double a_ref[5][5] = {}, a_abs[5][5] = {}, b_ref[5] = {}, b_abs[5] = {}, c_ref = 0, c_abs = 0;
  for (int i = 1; i <= FitData::kPoints; ++i) {
    const long double w = 1.0L / (static_cast<long double>(data.sigma[i]) * data.sigma[i]);
    const long double r = data.y[i] - model_ld(data.x[i], p_ld);
    const long double r_scale = std::fabs(r) + std::fabs(data.y[i]);  // the float residual cancels
    c_ref += r * r * w, c_abs += r_scale * r_scale * w;
    for (int j = 1; j <= nfree; ++j) {
      const long double dj = derivative_ld(data.x[i], p.data(), n, free_index[j - 1]);
      b_ref[j] += r * dj * w, b_abs[j] += r_scale * std::fabs(dj) * w;
      for (int k = 1; k <= nfree; ++k) {
        const long double dk = derivative_ld(data.x[i], p.data(), n, free_index[k - 1]);
        a_ref[j][k] += dj * dk * w, a_abs[j][k] += std::fabs(dj * dk * w);
      }
    }
  }
  const double tol = test_support::kTol64;  // per-term errors of ~20 eps, accumulated over the sums
  EXPECT_NEAR(chi2, static_cast<double>(c_ref), tol * static_cast<double>(c_abs));
  for (int j = 1; j <= nfree; ++j) {
    EXPECT_NEAR(beta[j], static_cast<double>(b_ref[j]), tol * static_cast<double>(b_abs[j])) << j;
    for (int k = 1; k <= nfree; ++k)
      EXPECT_NEAR(alpha.m[j][k], static_cast<double>(a_ref[j][k]), tol * static_cast<double>(a_abs[j][k]));
  }
  for (int j = 1; j <= n; ++j)
    for (int k = 1; k <= n; ++k)
      if (j > nfree || k > nfree) {
        EXPECT_EQ(alpha.m[j][k], kSentinel) << j << "," << k;
      }
  EXPECT_TRUE(alpha.border_intact() && beta[0] == kSentinel && beta[nfree + 1] == kSentinel);
}

// Drives one fit and checks every call against the accept/reject contract.
struct Fit {
  static constexpr int kN = FitData::kParams;
  explicit Fit(FitData& d) : data(d), cov(kN, kN), curv(kN, kN), scratch(kN, kN) {}
  void call(std::vector<float>& p) {
    nonlinear_fit_step(data.x.data(), data.y.data(), data.sigma.data(), FitData::kPoints, p.data(),
                       data.mask.data(), FitData::kParams, cov.m, curv.m, &chi2, numerics::gaussian_sum,
                       &lambda);
  }
  // One fitting-phase call: an accepted step lowers chi-square and shrinks lambda; a rejected one
  // keeps params and chi-square and grows lambda; fixed parameters never move.
  // A starting call compares with chi-square at the start and the starting lambda.
  void checked_step(std::vector<float>& p) {
    const std::vector<float> before = p;
    float chi2_before = chi2, lambda_before = lambda;
    if (lambda < 0) {
      std::vector<float> gradient(kN + 1);
      numerics::fit_curvature(data.x.data(), data.y.data(), data.sigma.data(), FitData::kPoints, p.data(),
                              data.mask.data(), kN, scratch.m, gradient.data(), &chi2_before,
                              numerics::gaussian_sum);
      lambda_before = 0.001f;
    }
    call(p);
    const bool accepted = chi2 < chi2_before;
    const double factor = accepted ? 0.1 : 10.0;
    EXPECT_EQ(lambda, static_cast<float>(static_cast<double>(lambda_before) * factor));
    if (!accepted) {
      EXPECT_TRUE(chi2 == chi2_before && p == before);
      ++rejected;
    }
    for (int j = 1; j <= FitData::kParams; ++j) {
      if (!data.mask[j]) {
        EXPECT_EQ(p[j], before[j]) << j;
      }
    }
  }
  FitData& data;
  Bordered cov, curv, scratch;
  float chi2 = 0, lambda = -1.0f;
  int rejected = 0;
};

// The trial point of a starting call: p + delta with (alpha + 0.001 diag(alpha)) delta = beta over the
// free parameters, alpha and beta those of fit_curvature, the solve in long double.
std::vector<float> first_damped_step(FitData& data, std::vector<float> p) {
  const int n = FitData::kParams;
  Bordered alpha(n, n);
  std::vector<float> beta(n + 1);
  float chi2 = 0;
  numerics::fit_curvature(data.x.data(), data.y.data(), data.sigma.data(), FitData::kPoints, p.data(),
                          data.mask.data(), n, alpha.m, beta.data(), &chi2, numerics::gaussian_sum);
  std::vector<int> free_index = {0};
  for (int j = 1; j <= n; ++j)
    if (data.mask[j]) free_index.push_back(j);
  const int nfree = static_cast<int>(free_index.size()) - 1;
  Rows rows(nfree + 1, std::vector<long double>(nfree + 2));
  for (int j = 1; j <= nfree; ++j) {
    for (int k = 1; k <= nfree; ++k) rows[j][k] = alpha.m[j][k];
    rows[j][j] *= 1.0L + 0.001f;
    rows[j][nfree + 1] = beta[j];
  }
  rows = solve_ld(rows, nfree, 1);
  for (int j = 1; j <= nfree; ++j) p[free_index[j]] += static_cast<float>(rows[j][nfree + 1]);
  return p;
}

TEST(LevenbergMarquardtDeathTest, ConvergesWithFixedParametersAndFinishes) {
  FitData data(0.0f);
  Fit fit(data);
  std::vector<float> p = {0, 2.7f, -1.0f, 0.9f, 1.6f, 1.1f, 0.6f};
  const std::vector<float> step = first_damped_step(data, p);
  fit.checked_step(p);
  ASSERT_EQ(fit.rejected, 0);
  for (int j = 1; j <= FitData::kParams; ++j) EXPECT_NEAR(p[j], step[j], kStepTolerance * std::fabs(step[j]));
  for (int it = 0; it < 60 && fit.lambda < 1e6f; ++it) fit.checked_step(p);
  EXPECT_GE(fit.lambda, 1e6f);  // converged: no step improves any more
  for (int j = 1; j <= FitData::kParams; ++j)
    EXPECT_NEAR(p[j], data.truth[j], test_support::kTol16 * std::fabs(data.truth[j])) << j;
  const std::vector<float> best = p;
  const float chi2 = fit.chi2;
  fit.lambda = 0;
  fit.call(p);
  EXPECT_TRUE(p == best && fit.chi2 == chi2);
  // The free block is the inverse of the free curvature block; rows and columns 2 and 6 are zero.
  Bordered free_cov(4, 4);
  const int free_index[5] = {0, 1, 3, 4, 5};
  for (int j = 1; j <= 4; ++j)
    for (int k = 1; k <= 4; ++k) free_cov.m[j][k] = fit.cov.m[free_index[j]][free_index[k]];
  EXPECT_LT(inverse_residual(free_cov.m, fit.curv.m, 4), kResidualLimit);
  float largest = 0;
  for (int j = 1; j <= FitData::kParams; ++j)
    for (int k = 1; k <= FitData::kParams; ++k) largest = std::max(largest, std::fabs(fit.cov.m[j][k]));
  for (int j = 1; j <= FitData::kParams; ++j)
    for (int k = 1; k <= FitData::kParams; ++k) {
      if (k != j) {
        EXPECT_NEAR(fit.cov.m[j][k], fit.cov.m[k][j], kResidualLimit * kEps * largest);  // float inverse
      }
      if (!data.mask[j] || !data.mask[k]) {
        EXPECT_EQ(fit.cov.m[j][k], 0.0f) << j << "," << k;
      }
    }
  EXPECT_TRUE(fit.cov.border_intact() && fit.curv.border_intact());
  // The finishing call released the fit, so a further step has nothing to work on.
  fit.lambda = 1.0f;
  EXPECT_FATAL(fit.call(p), "nonlinear_fit_step: no fit in progress");
}

// A starting call during a fit abandons it (its storage released, as the sanitizer build checks) and
// behaves exactly like a first start.
TEST(LevenbergMarquardt, RestartDuringFitStartsAfresh) {
  FitData data(0.02f);
  const std::vector<float> start = {0, 2.7f, -1.0f, 0.9f, 1.6f, 1.1f, 0.6f};
  std::vector<float> fresh = start, restarted = start;
  Fit a(data), b(data);
  for (int it = 0; it < 30; ++it) a.checked_step(fresh);
  EXPECT_GT(a.rejected, 0);  // near the minimum of noisy data some trials raise chi-square
  // b's start abandons a's fit; b then abandons its own, which has another free count.
  data.mask = {0, 1, 1, 1, 1, 1, 1};
  for (int it = 0; it < 2; ++it) b.checked_step(restarted);
  data.mask = {0, 1, 0, 1, 1, 1, 0};
  restarted = start, b.lambda = -1.0f;
  for (int it = 0; it < 30; ++it) b.checked_step(restarted);
  EXPECT_TRUE(restarted == fresh && b.chi2 == a.chi2 && b.lambda == a.lambda);
  b.lambda = 0;
  b.call(restarted);
}

// With every parameter fixed the trial point is the start itself: the step is rejected, and the
// covariance comes out all zero.
TEST(LevenbergMarquardt, AllParametersFixed) {
  FitData data(0.02f);
  data.mask.assign(FitData::kParams + 1, 0);
  Fit fit(data);
  std::vector<float> p = data.truth;
  fit.checked_step(p);
  fit.checked_step(p);
  const float once = static_cast<float>(static_cast<double>(0.001f) * 10.0);
  EXPECT_EQ(fit.lambda, static_cast<float>(static_cast<double>(once) * 10.0));  // both rejected
  fit.lambda = 0;
  fit.call(p);
  for (int j = 1; j <= FitData::kParams; ++j)
    for (int k = 1; k <= FitData::kParams; ++k) EXPECT_EQ(fit.cov.m[j][k], 0.0f);
}

}  // namespace
