// Tests of the singular value decomposition, back-substitution and covariance: scaled residuals of
// reconstruction and orthonormality over both shapes, solutions and covariances against the normal
// equations solved in double, the signs of small cases, sentinel borders around every argument, and
// the fast kernels against the reference step order (numerics::reference), bit for bit.
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

using namespace numerics;
using test_support::Bordered;
using test_support::Dense;
using test_support::kEps;
using test_support::kResidualLimit;

// svd_decompose of a copy of a.
struct Svd {
  Bordered u, w, v;
  explicit Svd(const Bordered& a) : u(a.rows, a.cols), w(1, a.cols), v(a.cols, a.cols) {
    for (int i = 1; i <= a.rows; ++i) std::copy(&a.m[i][1], &a.m[i][a.cols + 1], &u.m[i][1]);
    svd_decompose(u.m, a.rows, a.cols, w.m[1], v.m);
  }
};

// (AᵀA)⁻¹ in double, zero-based: Gauss-Jordan elimination on [AᵀA | I] (AᵀA is positive definite).
std::vector<std::vector<double>> inverse_normal_matrix(const Bordered& a) {
  const int n = a.cols;
  std::vector<std::vector<double>> s(n, std::vector<double>(2 * static_cast<std::size_t>(n), 0.0));
  for (int p = 0; p < n; ++p) {
    s[p][n + p] = 1.0;
    for (int r = 0; r < n; ++r)
      for (int i = 1; i <= a.rows; ++i) s[p][r] += static_cast<double>(a.m[i][p + 1]) * a.m[i][r + 1];
  }
  for (int p = 0; p < n; ++p)
    for (int i = 0; i < n; ++i)
      for (int j = 2 * n - 1; j >= p; --j)
        s[i][j] = i == p ? s[i][j] / s[p][p] : s[i][j] - s[i][p] / s[p][p] * s[p][j];
  for (auto& row : s) row.erase(row.begin(), row.begin() + n);
  return s;
}

// Every output of svd_decompose (or its reference) on a copy of a: U, w and V with their borders, then
// the flag, which is set before the call so that only the routine's own clearing leaves it false. Any
// NaN becomes one NaN: which of two NaN operands an instruction passes on depends on the operand order
// the compiler picks, not on the order of operations.
std::vector<float> decomposition(const Bordered& a, void (*decompose)(float**, int, int, float*, float**)) {
  Bordered u(a.rows, a.cols), w(1, a.cols), v(a.cols, a.cols);
  for (int i = 1; i <= a.rows; ++i) std::copy(&a.m[i][1], &a.m[i][a.cols + 1], &u.m[i][1]);
  svd_not_converged = true;
  decompose(u.m, a.rows, a.cols, w.m[1], v.m);
  std::vector<float> out(u.all(), u.all() + u.slots());
  out.insert(out.end(), w.all(), w.all() + w.slots());
  out.insert(out.end(), v.all(), v.all() + v.slots());
  out.push_back(svd_not_converged ? 1.0f : 0.0f);
  for (float& x : out) x = std::isnan(x) ? std::numeric_limits<float>::quiet_NaN() : x;
  return out;
}

TEST(SafeHypot, ExactCasesAndNoOverflow) {
  EXPECT_EQ(safe_hypot(0.0f, 0.0f), 0.0f);
  EXPECT_EQ(safe_hypot(3.0f, -4.0f), 5.0f);
  EXPECT_EQ(safe_hypot(1.0e-30f, -1.0e30f), 1.0e30f);
  const float big = 0.6f * std::numeric_limits<float>::max();
  // Four roundings (ratio, square, root, product) bound the error by 2 ulp.
  EXPECT_NEAR(safe_hypot(-big, big), static_cast<double>(std::sqrt(2.0L) * big),
              2 * kEps * std::sqrt(2.0) * big);
}

TEST(SvdDecompose, SmallCasesKeepTheirSignsAndOrder) {
  for (float value : {3.0f, -3.0f}) {
    Bordered a(1, 1);
    a.m[1][1] = value;
    Svd d(a);
    EXPECT_EQ(d.w.m[1][1], 3.0f);
    EXPECT_EQ(d.u.m[1][1], -1.0f);
    EXPECT_EQ(d.v.m[1][1], value > 0 ? -1.0f : 1.0f);
  }
  Bordered a(2, 2);
  a.m[1][1] = 2.0f, a.m[1][2] = 0.0f, a.m[2][1] = 0.0f, a.m[2][2] = 5.0f;
  Svd d(a);
  EXPECT_EQ(d.w.m[1][1], 2.0f);  // not sorted
  EXPECT_EQ(d.w.m[1][2], 5.0f);
  for (int i = 1; i <= 2; ++i)
    for (int j = 1; j <= 2; ++j)
      EXPECT_TRUE(d.u.m[i][j] == (i == j ? -1.0f : 0.0f) && d.u.m[i][j] == d.v.m[i][j]);
}

TEST(SvdDecompose, ZeroMatrixGivesIdentityFactorsAndClearsTheFlag) {
  for (int m : {3, 5}) {
    Bordered a(m, 3);
    for (int i = 1; i <= m; ++i) std::fill(&a.m[i][1], &a.m[i][4], 0.0f);
    svd_not_converged = true;
    Svd d(a);
    EXPECT_FALSE(svd_not_converged);
    for (int j = 1; j <= 3; ++j) {
      EXPECT_EQ(d.w.m[1][j], 0.0f);
      for (int i = 1; i <= m; ++i) EXPECT_EQ(d.u.m[i][j], i == j ? 1.0f : 0.0f);
      for (int i = 1; i <= 3; ++i) EXPECT_EQ(d.v.m[i][j], i == j ? 1.0f : 0.0f);
    }
  }
}

// A converged decomposition of a of the given rank: w ≥ 0, A = U diag(w) Vᵀ, V orthonormal, the
// columns of U with significant values orthonormal, the borders intact.
void expect_sound(const Bordered& a, const Svd& d, int rank) {
  const int m = a.rows, n = a.cols;
  EXPECT_FALSE(svd_not_converged);
  const float* w = d.w.m[1];
  const float wmax = *std::max_element(w + 1, w + n + 1);
  const Dense u = Dense::of(d.u.m, m, n), v = Dense::of(d.v.m, n, n);
  EXPECT_LT(
      test_support::reconstruction_score(Dense::of(a.m, m, n), u, std::vector<double>(w + 1, w + n + 1), v),
      kResidualLimit);
  std::vector<int> all, significant;
  for (int k = 1; k <= n; ++k) {
    EXPECT_GE(w[k], 0.0f);
    all.push_back(k - 1);
    if (w[k] > std::max(m, n) * kEps * wmax) significant.push_back(k - 1);
  }
  EXPECT_EQ(static_cast<int>(significant.size()), rank);
  EXPECT_LT(test_support::orthonormality_score(v, all), kResidualLimit);
  EXPECT_LT(test_support::orthonormality_score(u, significant), kResidualLimit);
  EXPECT_TRUE(d.u.border_intact() && d.w.border_intact() && d.v.border_intact());
}

// Random matrices of both shapes, full rank and of rank r (products of m × r and r × n factors).
TEST(SvdDecompose, ReconstructsWithOrthonormalFactors) {
  const int shapes[][3] = {{1, 5, 1},   {5, 1, 1},    {2, 4, 2},    {4, 2, 2},    {7, 3, 3},
                           {3, 7, 3},   {10, 10, 10}, {13, 20, 13}, {40, 17, 17}, {17, 40, 17},
                           {12, 12, 5}, {30, 9, 4},   {9, 30, 6}};
  for (const auto& shape : shapes) {
    const int m = shape[0], n = shape[1], rank = shape[2];
    const Bordered a = test_support::low_rank(m, n, rank, 100u * m + n, 100u * rank + n + 1);
    Svd d(a);
    SCOPED_TRACE(testing::Message() << m << "x" << n << " rank " << rank);
    expect_sound(a, d, rank);
  }
}

// Repeated rows of a small value under one large row: the Householder reduction leaves vectors of
// size 1e-33, 1e-40, ..., and a reflection of subnormal size would overflow when accumulated (U or V
// full of NaN). Such reflections are skipped; the decomposition stays sound.
TEST(SvdDecompose, VanishingReflectionsAreSkipped) {
  const float first_row[] = {-7.53882f, 0.77832f, 6.99927f, 2.3186f, 0.51172f, 0.5f, 0.5f};
  for (int m : {7, 30}) {
    Bordered a(m, 7);
    for (int i = 1; i <= m; ++i)
      for (int j = 1; j <= 7; ++j) a.m[i][j] = i == 1 ? first_row[j - 1] : -1.0f / 4096.0f;
    Svd d(a);
    SCOPED_TRACE(testing::Message() << m << "x7");
    expect_sound(a, d, 2);
  }
}

// On every lane path: shapes whose row counts leave every remainder of the kernels' groups of eight and four
// rows and whose sweeps span more than one block of rotations; inputs with ties and zeros (small integers),
// zero singular values (repeated columns, which take the cancellation path), entries so large that
// the shift overflows (the values then use up their iterations and set the flag), and entries far
// below the absolute threshold.
TEST(SvdDecompose, FastKernelsMatchTheReferenceBitForBit) {
  enum Kind { kUniform, kIntegers, kRepeatedColumns, kHuge, kTiny };
  const int sizes[] = {1, 2, 3, 5, 8, 11};
  std::vector<std::pair<int, int>> shapes = {{37, 37}, {70, 9}, {9, 70}, {64, 40}, {40, 45}, {13, 36}};
  for (int m : sizes)
    for (int n : sizes) shapes.emplace_back(m, n);
  int flagged = 0;
  for (const auto& shape : shapes) {
    const int m = shape.first, n = shape.second;
    for (int kind = kUniform; kind <= kTiny; ++kind) {
      if (kind == kHuge && std::max(m, n) > 11) continue;  // 100 sweeps per value: small ones only
      Bordered a = Bordered::random(m, n, 1000u * m + 10u * n + kind);
      for (int i = 1; i <= m; ++i)
        for (int j = 1; j <= n; ++j) {
          float& x = a.m[i][j];
          if (kind == kIntegers) x = std::round(4.0f * x);
          if (kind == kRepeatedColumns && j > 1 && j % 3 != 1) x = a.m[i][j - 1];
          if (kind == kHuge) x *= 1.0e20f;
          if (kind == kTiny) x *= 1.0e-7f;
        }
      SCOPED_TRACE(testing::Message() << m << "x" << n << " kind " << kind);
      test_support::expect_fast_matches_reference([&] { return decomposition(a, svd_decompose); },
                                                  [&] {
                                                    std::vector<float> out =
                                                        decomposition(a, reference::svd_decompose);
                                                    flagged += out.back() == 1.0f ? 1 : 0;
                                                    return out;
                                                  });
    }
  }
  EXPECT_GT(flagged, 0);
}

TEST(SvdSolveAndCovariance, MatchNormalEquationsInDouble) {
  const int m = 25, n = 5;
  const Bordered a = Bordered::random(m, n, 3), b = Bordered::random(1, m, 4);
  Bordered x(1, n), cov(n, n);
  Svd d(a);
  svd_solve(d.u.m, d.w.m[1], d.v.m, m, n, b.m[1], x.m[1]);
  svd_covariance(d.v.m, n, d.w.m[1], cov.m);
  const auto inverse = inverse_normal_matrix(a);
  const float* w = d.w.m[1];
  // Rounding errors of least-squares solutions and of (AᵀA)⁻¹ grow with the square of the condition.
  const double cond = *std::max_element(w + 1, w + n + 1) / *std::min_element(w + 1, w + n + 1);
  const double tolerance = kResidualLimit * cond * cond * kEps;
  for (int p = 1; p <= n; ++p) {
    double reference = 0.0;
    for (int r = 1; r <= n; ++r)
      for (int i = 1; i <= m; ++i) reference += inverse[p - 1][r - 1] * a.m[i][r] * b.m[1][i];
    EXPECT_NEAR(x.m[1][p], reference, tolerance);
    for (int r = 1; r <= n; ++r) {
      EXPECT_NEAR(cov.m[p][r], inverse[p - 1][r - 1], tolerance * inverse[p - 1][p - 1]);
      if (r != p) {
        EXPECT_EQ(cov.m[p][r], cov.m[r][p]);
      }
    }
  }
  EXPECT_TRUE(b.border_intact() && x.border_intact() && cov.border_intact());
}

// Column 4 = column 1 + column 2, so z = (1, 1, 0, −1, 0) spans the null space. With its singular
// value dropped the solution has no component along z (the minimum-norm solution) and the covariance
// maps the dropped direction to zero; with every value dropped the solution is 0.
TEST(SvdSolveAndCovariance, DroppedValuesAreLeftOut) {
  const int m = 9, n = 5;
  Bordered a = Bordered::random(m, n, 11);
  const Bordered b = Bordered::random(1, m, 12);
  Bordered x(1, n), cov(n, n);
  for (int i = 1; i <= m; ++i) a.m[i][4] = a.m[i][1] + a.m[i][2];
  Svd d(a);
  float* w = d.w.m[1];
  const int dropped = static_cast<int>(std::min_element(w + 1, w + n + 1) - w);
  w[dropped] = 0.0f;
  svd_solve(d.u.m, w, d.v.m, m, n, b.m[1], x.m[1]);
  const float* s = x.m[1];
  EXPECT_NEAR(s[1] + s[2] - s[4], 0.0, kResidualLimit * kEps);
  svd_covariance(d.v.m, n, w, cov.m);
  for (int i = 1; i <= n; ++i) {
    double along = 0.0;
    for (int k = 1; k <= n; ++k) along += static_cast<double>(cov.m[i][k]) * d.v.m[k][dropped];
    ASSERT_TRUE(std::isfinite(cov.m[i][i]));
    EXPECT_NEAR(along, 0.0, kResidualLimit * kEps * cov.m[i][i]);
  }
  std::fill(w + 1, w + n + 1, 0.0f);
  svd_solve(d.u.m, w, d.v.m, m, n, b.m[1], x.m[1]);
  for (int j = 1; j <= n; ++j) EXPECT_EQ(x.m[1][j], 0.0f);
}

TEST(SvdDeathTest, WorkVectorsThatCannotBeObtainedAreFatal) {
  EXPECT_FATAL(svd_decompose(nullptr, 1, -1, nullptr, nullptr), "allocation failure in vector()");
  EXPECT_FATAL(svd_solve(nullptr, nullptr, nullptr, 1, -1, nullptr, nullptr),
               "allocation failure in vector()");
  EXPECT_FATAL(svd_covariance(nullptr, -1, nullptr, nullptr), "allocation failure in vector()");
}

}  // namespace
