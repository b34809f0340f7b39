// Tests of the Jacobi eigen-solver and the eigenpair sort: the small cases whose rotations are known,
// residuals and orthonormality on random symmetric matrices, the untouched lower triangle, the
// descending order with columns carried along, the fatal exit when no sweep count suffices, and the
// fast rotation kernels against the reference step order (numerics::reference), bit for bit.
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

namespace {

using namespace numerics;
using test_support::Bordered;
using test_support::Dense;
using test_support::kResidualLimit;
using test_support::kSentinel;

// Eigenvalues in slots 1..n of a vector with sentinels at 0 and n+1.
std::vector<float> eigen_slots(int n) { return std::vector<float>(n + 2, kSentinel); }

// Every output of jacobi (or its reference) on a copy of the upper triangle of a: the matrix, the
// eigenvalues and the eigenvectors with their borders, and the rotation count.
std::vector<float> eigensystem(const Bordered& a, void (*solve)(float**, int, float*, float**, int*)) {
  const int n = a.rows;
  Bordered sym(n, n), v(n, n);
  std::copy(a.all(), a.all() + a.slots(), &sym.m[0][0]);
  std::vector<float> out = eigen_slots(n);
  int rotations = -1;
  solve(sym.m, n, out.data(), v.m, &rotations);
  out.insert(out.end(), sym.all(), sym.all() + sym.slots());
  out.insert(out.end(), v.all(), v.all() + v.slots());
  out.push_back(static_cast<float>(rotations));
  return out;
}

TEST(Jacobi, TwoByTwoTakesOneRotation) {
  Bordered a(2, 2), v(2, 2);
  a[1][1] = a[2][2] = 2.0f;
  a[1][2] = 1.0f;
  a[2][1] = kSentinel;
  std::vector<float> d = eigen_slots(2);
  int rotations = -1;
  jacobi(a.m, 2, d.data(), v.m, &rotations);
  const float c = static_cast<float>(1.0 / std::sqrt(2.0));
  EXPECT_EQ(rotations, 1);
  EXPECT_EQ(d, (std::vector<float>{kSentinel, 1.0f, 3.0f, kSentinel}));
  EXPECT_EQ(a.interior(), (std::vector<float>{2.0f, 0.0f, kSentinel, 2.0f}));
  EXPECT_EQ(v.interior(), (std::vector<float>{c, c, -c, c}));  // columns (c, -c) and (c, c)
}

TEST(Jacobi, DiagonalInputNeedsNoRotation) {
  for (int n : {1, 4}) {
    Bordered a(n, n), v(n, n), identity(n, n);
    std::vector<float> d = eigen_slots(n), diagonal = eigen_slots(n);
    for (int i = 1; i <= n; ++i) {
      for (int j = 1; j <= n; ++j) a[i][j] = identity[i][j] = 0.0f;
      a[i][i] = diagonal[i] = 1.5f * static_cast<float>(i) - 4.0f;
      identity[i][i] = 1.0f;
    }
    int rotations = -1;
    jacobi(a.m, n, d.data(), v.m, &rotations);
    EXPECT_EQ(rotations, 0);
    EXPECT_EQ(d, diagonal);
    EXPECT_EQ(v.interior(), identity.interior());
  }
}

// Random symmetric matrices: every pair satisfies A v = λ v, the columns are orthonormal, the upper
// triangle ends at zero, the lower one is never touched; after sorting the same holds in descending order.
TEST(Jacobi, RandomSymmetricMatricesGiveOrthonormalEigenpairs) {
  std::mt19937 rng(17);
  for (int n : {2, 3, 5, 10, 24, 40}) {
    Bordered a(n, n), v(n, n);
    Dense original(n, n);
    for (int i = 1; i <= n; ++i) {
      for (int j = i; j <= n; ++j) {
        a[i][j] = static_cast<float>(rng() >> 8) / 4194304.0f - 2.0f;
        original(i - 1, j - 1) = original(j - 1, i - 1) = a[i][j];
      }
      for (int j = 1; j < i; ++j) a[i][j] = kSentinel;
    }
    std::vector<float> d = eigen_slots(n);
    int rotations = 0;
    jacobi(a.m, n, d.data(), v.m, &rotations);
    sort_eigenpairs(d.data(), v.m, n);
    SCOPED_TRACE(testing::Message() << "n " << n);
    EXPECT_GT(rotations, 0);
    EXPECT_EQ(d.front(), kSentinel);
    EXPECT_EQ(d.back(), kSentinel);
    const Dense vectors = Dense::of(v.m, n, n);
    std::vector<int> all(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) all[static_cast<std::size_t>(k)] = k;
    EXPECT_LT(
        test_support::eigenpair_score(original, std::vector<double>(d.begin() + 1, d.end() - 1), vectors),
        kResidualLimit);
    EXPECT_LT(test_support::orthonormality_score(vectors, all), kResidualLimit);
    EXPECT_TRUE(a.border_intact() && v.border_intact());
    for (int k = 1; k <= n; ++k) {
      if (k > 1) {
        EXPECT_GE(d[k - 1], d[k]);
      }
      for (int i = 1; i <= n; ++i) {
        const float diagonal = static_cast<float>(original(i - 1, i - 1));
        EXPECT_EQ(a[i][k], i < k ? 0.0f : (i > k ? kSentinel : diagonal)) << i << "," << k;
      }
    }
  }
}

// On every lane path: orders that leave every remainder of the eight- and four-lane kernels, and matrices
// that take every branch: random entries, small integers (equal diagonal entries give θ = 0), a large spread
// of the diagonal against tiny off-diagonal entries (t = apq / h and, from sweep 5, the negligibility test),
// and clusters of equal eigenvalues.
TEST(Jacobi, FastKernelsMatchTheReferenceBitForBit) {
  enum Kind { kUniform, kIntegers, kSpreadDiagonal, kClusters };
  std::mt19937 rng(29);
  for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 23, 31, 40, 57}) {
    for (int kind = kUniform; kind <= kClusters; ++kind) {
      Bordered a(n, n);
      for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
          float x = static_cast<float>(rng() >> 8) / 8388608.0f - 1.0f;
          if (kind == kIntegers) x = std::round(3.0f * x);
          if (kind == kSpreadDiagonal) x = i == j ? static_cast<float>(i * i) : 1.0e-4f * x;
          if (kind == kClusters && i == j) x = static_cast<float>(i % 3);
          if (kind == kClusters && i != j) x *= 1.0e-3f;
          a[i][j] = j < i ? kSentinel : x;
        }
      SCOPED_TRACE(testing::Message() << "n " << n << " kind " << kind);
      test_support::expect_fast_matches_reference([&] { return eigensystem(a, jacobi); },
                                                  [&] { return eigensystem(a, reference::jacobi); });
    }
  }
}

TEST(SortEigenpairs, DescendingWithColumnsCarriedAlong) {
  Bordered v(3, 3);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) v[i][j] = static_cast<float>(10 * i + j);
  }
  std::vector<float> d{0.0f, 1.0f, 3.0f, 2.0f, 0.0f};
  sort_eigenpairs(d.data(), v.m, 3);
  EXPECT_EQ(d, (std::vector<float>{0.0f, 3.0f, 2.0f, 1.0f, 0.0f}));
  EXPECT_EQ(v.interior(), (std::vector<float>{12, 13, 11, 22, 23, 21, 32, 33, 31}));
  // Equal values: the later one is taken first, so the two columns trade places; n = 1 does nothing.
  Bordered w(2, 2);
  w[1][1] = 1.0f, w[1][2] = 2.0f, w[2][1] = 3.0f, w[2][2] = 4.0f;
  std::vector<float> equal{0.0f, 5.0f, 5.0f};
  sort_eigenpairs(equal.data(), w.m, 2);
  EXPECT_EQ(equal, (std::vector<float>{0.0f, 5.0f, 5.0f}));
  EXPECT_EQ(w.interior(), (std::vector<float>{2, 1, 4, 3}));
  sort_eigenpairs(equal.data(), w.m, 1);
  EXPECT_EQ(w.interior(), (std::vector<float>{2, 1, 4, 3}));
}

// A NaN above the diagonal is never rotated nor cleared, so the off-diagonal sum stays NaN. Runs in
// the death-test child, whose fatal exit keeps the matrices and jacobi's work vectors.
void jacobi_on_nan_matrix() {
  test_support::ignore_leaks_in_this_process();
  float** a = matrix(1, 3, 1, 3);
  float** v = matrix(1, 3, 1, 3);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) a[i][j] = 1.0f;
  }
  a[1][3] = std::numeric_limits<float>::quiet_NaN();
  float d[4];
  int rotations = 0;
  jacobi(a, 3, d, v, &rotations);
}

TEST(JacobiDeathTest, NanAboveTheDiagonalNeverConverges) {
  EXPECT_FATAL(jacobi_on_nan_matrix(), "Too many iterations in routine jacobi");
}

}  // namespace
