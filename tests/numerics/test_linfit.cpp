// Tests of the linear least-squares fit: a weighted polynomial fit against the normal equations
// solved in double, the cut-off of small singular values at its boundary, degenerate designs and
// data, and the power basis.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "numerics/numerics.h"
#include "support/fatal_message.h"
#include "support/tolerance.h"

namespace {

using namespace numerics;

// The fits below are well conditioned (condition numbers below 10); 64 ε leaves room for the
// rounding of the design matrix, the decomposition and the back-substitution.
constexpr double kTolerance = test_support::kTol64;

struct Fit {
  std::vector<float> coef, w;
  float chi2 = 0.0f;
};

// Fits the points (x, y, sigma)[1..n] (index 0 unused) with nbasis basis functions.
Fit run_fit(const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& sigma,
            int nbasis, basis_function basis) {
  const int n = static_cast<int>(x.size()) - 1;
  float** u = matrix(1, n, 1, nbasis);
  float** v = matrix(1, nbasis, 1, nbasis);
  Fit fit{std::vector<float>(nbasis + 1), std::vector<float>(nbasis + 1)};
  svd_fit(x.data(), y.data(), sigma.data(), n, fit.coef.data(), nbasis, u, v, fit.w.data(), &fit.chi2, basis);
  release_matrix(v, 1, nbasis, 1, nbasis);
  release_matrix(u, 1, n, 1, nbasis);
  return fit;
}

float g_second_column = 1.0f;

// Design matrix diag(1, g_second_column) for the points x = 1 and x = 2.
void disjoint_basis(float x, float* values, int) {
  values[1] = x == 1.0f ? 1.0f : 0.0f;
  values[2] = x == 2.0f ? g_second_column : 0.0f;
}
void duplicated_basis(float x, float* values, int) { values[1] = 1.0f, values[2] = 1.0f, values[3] = x; }

TEST(PolyBasis, PowersOfXAndNothingForAnEmptyRange) {
  float values[6] = {-1.0f, -1.0f, -1.0f, -1.0f, -1.0f, -1.0f};
  poly_basis(2.0f, values, 4);
  EXPECT_EQ(std::vector<float>(values, values + 6), (std::vector<float>{-1, 1, 2, 4, 8, -1}));
  values[1] = -1.0f;
  poly_basis(5.0f, values, 0);  // values[1] lies outside the empty range and is not written
  EXPECT_EQ(values[1], -1.0f);
}

TEST(SvdFit, WeightedPolynomialMatchesNormalEquations) {
  const int n = 30, nbasis = 4;
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::vector<float> x(n + 1), y(n + 1), sigma(n + 1);
  // Augmented normal equations [XᵀWX | XᵀWy] in double, solved by Gauss-Jordan elimination.
  std::vector<std::vector<double>> s(nbasis, std::vector<double>(nbasis + 1, 0.0));
  for (int i = 1; i <= n; ++i) {
    x[i] = unit(gen);
    y[i] = 1.5f - x[i] + 0.25f * x[i] * x[i] * x[i] + 0.1f * unit(gen);
    sigma[i] = 1.25f + 0.75f * unit(gen);
    const double weight = 1.0 / (static_cast<double>(sigma[i]) * sigma[i]);
    for (int p = 0; p < nbasis; ++p)
      for (int r = 0; r <= nbasis; ++r)
        s[p][r] += weight * std::pow(x[i], p) * (r < nbasis ? std::pow(x[i], r) : y[i]);
  }
  for (int p = 0; p < nbasis; ++p)
    for (int i = 0; i < nbasis; ++i) {
      if (i == p) continue;
      for (int r = nbasis; r >= p; --r) s[i][r] -= s[i][p] / s[p][p] * s[p][r];
    }
  const Fit fit = run_fit(x, y, sigma, nbasis, poly_basis);
  double chi2 = 0.0;
  for (int i = 1; i <= n; ++i) {
    double residual = y[i];
    for (int p = 0; p < nbasis; ++p) residual -= s[p][nbasis] / s[p][p] * std::pow(x[i], p);
    chi2 += residual * residual / (static_cast<double>(sigma[i]) * sigma[i]);
  }
  for (int p = 0; p < nbasis; ++p) EXPECT_NEAR(fit.coef[p + 1], s[p][nbasis] / s[p][p], kTolerance);
  EXPECT_NEAR(fit.chi2, chi2, kTolerance * chi2);
}

TEST(SvdFit, DegenerateDesignsAndData) {
  std::vector<float> x{0, -2, -1, 0.5f, 1, 3}, y(6), sigma(6, 1.0f);
  for (int i = 1; i <= 5; ++i) y[i] = 2.0f + 3.0f * x[i];
  // Two equal columns: one singular value is dropped and the intercept is shared equally.
  const Fit shared = run_fit(x, y, sigma, 3, duplicated_basis);
  EXPECT_EQ((shared.w[1] == 0.0f) + (shared.w[2] == 0.0f) + (shared.w[3] == 0.0f), 1);
  EXPECT_NEAR(shared.coef[1], 1.0, kTolerance);
  EXPECT_NEAR(shared.coef[2], 1.0, kTolerance);
  EXPECT_NEAR(shared.coef[3], 3.0, kTolerance * 3);
  std::fill(y.begin(), y.end(), 0.0f);
  const Fit zero = run_fit(x, y, sigma, 3, poly_basis);
  EXPECT_TRUE(zero.coef[1] == 0.0f && zero.coef[2] == 0.0f && zero.coef[3] == 0.0f && zero.chi2 == 0.0f);
}

// With singular values 1 and c the cut-off is 1e-5 rounded to float: c equal to it survives, the
// next float below it is dropped and its coefficient becomes 0.
TEST(SvdFit, CutoffDropsOnlyValuesStrictlyBelowIt) {
  const std::vector<float> x{0, 1, 2}, y{0, 3, 4}, sigma{0, 1, 1};
  const float cutoff = static_cast<float>(1.0e-5);
  g_second_column = cutoff;
  const Fit kept = run_fit(x, y, sigma, 2, disjoint_basis);
  EXPECT_EQ(kept.w[2], cutoff);
  EXPECT_NEAR(kept.coef[2] * cutoff, 4.0, kTolerance * 4);
  g_second_column = std::nextafter(cutoff, 0.0f);
  const Fit dropped = run_fit(x, y, sigma, 2, disjoint_basis);
  EXPECT_EQ(dropped.w[2], 0.0f);
  EXPECT_EQ(dropped.coef[2], 0.0f);
  EXPECT_EQ(dropped.chi2, 16.0f);  // the second point, 4 away from the model, with sigma 1
}

TEST(SvdFitDeathTest, WorkVectorThatCannotBeObtainedIsFatal) {
  EXPECT_FATAL(
      svd_fit(nullptr, nullptr, nullptr, -1, nullptr, 1, nullptr, nullptr, nullptr, nullptr, poly_basis),
      "allocation failure in vector()");
}

}  // namespace
