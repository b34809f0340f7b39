// Tests of the zero-based matrix helpers and the pseudo-inverse: products against long double and
// against each other bit for bit, the rebasing modes, untouched sentinels beyond every output, and
// the four Moore-Penrose conditions (in double) on full-rank, rank-deficient and zero matrices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "numerics/numerics.h"
#include "support/bordered.h"
#include "support/fatal_message.h"
#include "support/residuals.h"
#include "support/tolerance.h"

namespace {

using namespace numerics;
using test_support::Bordered;
using test_support::kEps;
using test_support::kResidualLimit;
using test_support::kSentinel;
using test_support::same_bits;

// A zero-based rows × cols matrix with a sentinel border, its interior sentinels or from a seed.
Bordered zero_based(int rows, int cols) { return Bordered(rows, cols, 0); }
Bordered zero_based(int rows, int cols, unsigned seed) { return Bordered::random(rows, cols, seed, 0); }

double moore_penrose_score(float** a, float** x, int n) {
  return test_support::moore_penrose_score(test_support::Dense::of(a, n, n, 0),
                                           test_support::Dense::of(x, n, n, 0));
}

TEST(MatrixProducts, MatchLongDoubleAndEachOther) {
  const Bordered a = zero_based(5, 7, 1), b = zero_based(7, 130, 2);
  Bordered c = zero_based(5, 130), at = zero_based(7, 5), aat = zero_based(5, 5), own = zero_based(5, 5),
           adapted = zero_based(5, 5);
  multiply_matrices(a.m, b.m, c.m, 5, 7, 130);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 130; ++j) {
      long double exact = 0.0L, magnitude = 0.0L;
      for (int k = 0; k < 7; ++k) {
        exact += static_cast<long double>(a.m[i][k]) * b.m[k][j];
        magnitude += std::fabs(static_cast<long double>(a.m[i][k]) * b.m[k][j]);
      }
      // A float sum of 7 rounded products is off by at most 7 ε times the sum of magnitudes.
      EXPECT_NEAR(c.m[i][j], static_cast<double>(exact), 7 * kEps * static_cast<double>(magnitude));
    }
  // a·aᵀ three ways: the same products summed in the same order, so equal bit for bit (and symmetric).
  transpose_matrix(a.m, at.m, 5, 7);
  multiply_matrices(a.m, at.m, aat.m, 5, 7, 5);
  multiply_by_own_transpose(a.m, own.m, 5, 7);
  multiply_by_own_transpose_adapter(a.m, nullptr, adapted.m, 5, -12345, 7);
  EXPECT_TRUE(same_bits(own, aat) && same_bits(adapted, aat));
  EXPECT_EQ(own.m[1][3], own.m[3][1]);
  EXPECT_EQ(dot_product(a.m[1], a.m[3], 7), own.m[1][3]);
  EXPECT_EQ(dot_product(a.m[0], a.m[1], 0), 0.0f);
  // m·x with x = column 1 of b forms the sums of column 1 of a·b, in the same order.
  float x[7], y[6];
  std::fill(y, y + 6, kSentinel);
  for (int k = 0; k < 7; ++k) x[k] = b.m[k][1];
  multiply_matrix_vector(a.m, x, y, 5, 7);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(y[i], c.m[i][1]);
  EXPECT_EQ(y[5], kSentinel);
}

TEST(MatrixCopies, TransposeScaleAndRebase) {
  const Bordered a = zero_based(4, 6, 3);
  Bordered at = zero_based(6, 4), back = zero_based(4, 6), scaled = zero_based(4, 6, 3);
  transpose_matrix(a.m, at.m, 4, 6);
  transpose_matrix(at.m, back.m, 6, 4);
  EXPECT_TRUE(same_bits(back, a));
  const float s[4] = {2.0f, -0.5f, 3.0f, 0.0f};
  scale_rows(s, scaled.m, 4, 6);
  for (int i = 0; i <= 4; ++i)
    for (int j = 0; j <= 6; ++j) EXPECT_EQ(scaled.m[i][j], i < 4 && j < 6 ? a.m[i][j] * s[i] : kSentinel);
  // Mode 2 fills rows and columns 1..4, 1..6 and leaves row and column 0 alone; mode 3 brings the block
  // back; mode 1 copies 1..n to 1..n, mode 0 0..n−1 to 0..n−1; other modes copy nothing.
  Bordered one_based = zero_based(5, 7, 4), expected = zero_based(5, 7, 4), round_trip = zero_based(4, 6, 5),
           same = zero_based(5, 7, 6), same_expected = zero_based(5, 7, 6), plain = zero_based(4, 6);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 6; ++j) expected.m[i + 1][j + 1] = same_expected.m[i + 1][j + 1] = a.m[i][j];
  copy_matrix_rebased(a.m, one_based.m, 4, 6, 2);
  copy_matrix_rebased(one_based.m, round_trip.m, 4, 6, 3);
  copy_matrix_rebased(one_based.m, same.m, 4, 6, 1);
  copy_matrix_rebased(a.m, plain.m, 4, 6, 0);
  EXPECT_TRUE(same_bits(one_based, expected) && same_bits(round_trip, a) && same_bits(same, same_expected) &&
              same_bits(plain, a));
  Bordered untouched = zero_based(4, 6, 9);
  const Bordered reference = zero_based(4, 6, 9);
  copy_matrix_rebased(a.m, untouched.m, 4, 6, 4);
  copy_matrix_rebased(a.m, untouched.m, 4, 6, -1);
  EXPECT_TRUE(same_bits(untouched, reference));
}

// Full rank and ranks 3 and 1 (products of 6 × r and r × 6 factors); the input stays as it was.
TEST(PseudoInverse, MeetsMoorePenroseConditions) {
  for (int rank : {6, 3, 1}) {
    const int n = 6;
    const Bordered left = zero_based(n, rank, 10u + rank), right = zero_based(rank, n, 20u + rank);
    Bordered a = zero_based(n, n), before = zero_based(n, n), x = zero_based(n, n);
    multiply_matrices(left.m, right.m, a.m, n, rank, n);
    copy_matrix_rebased(a.m, before.m, n + 1, n + 1, 0);
    EXPECT_TRUE(pseudo_inverse(a.m, x.m, n));
    EXPECT_LT(moore_penrose_score(a.m, x.m, n), kResidualLimit) << "rank " << rank;
    EXPECT_TRUE(same_bits(a, before) && x.border_intact());
  }
}

TEST(PseudoInverse, SmallAndDegenerateMatrices) {
  // [a] gives 1/a up to the rounding of U = ±1 and of the two products: at most 2 ulp.
  std::mt19937 gen(8);
  for (int trial = 0; trial < 200; ++trial) {
    Bordered a = zero_based(1, 1), x = zero_based(1, 1);
    a.m[0][0] =
        std::ldexp(static_cast<float>(gen() >> 8) / 16777216.0f - 0.5f, static_cast<int>(gen() % 80) - 40);
    EXPECT_TRUE(pseudo_inverse(a.m, x.m, 1));
    const double reciprocal = 1.0 / static_cast<double>(a.m[0][0]);
    EXPECT_NEAR(x.m[0][0], reciprocal, 2 * kEps * std::fabs(reciprocal));
  }
  // Diagonal matrices: a value below 1e-6 times the largest, or zero, contributes nothing; a value
  // equal to it (both exact in the decomposition of a diagonal matrix) is inverted.
  const float at_threshold = static_cast<float>(1.0e-6);
  const float diagonals[][3] = {{1.0f, 0.0f, 0.0f},
                                {1.0f, 1.0e-7f, 0.0f},
                                {1.0f, at_threshold, 1.0f / at_threshold},
                                {0.0f, 0.0f, 0.0f}};
  for (const auto& d : diagonals) {
    Bordered a = zero_based(2, 2), x = zero_based(2, 2);
    a.m[0][0] = d[0], a.m[0][1] = 0.0f, a.m[1][0] = 0.0f, a.m[1][1] = d[1];
    EXPECT_TRUE(pseudo_inverse(a.m, x.m, 2));
    EXPECT_NEAR(x.m[0][0], d[0], kResidualLimit * kEps);
    EXPECT_NEAR(x.m[1][1], d[2], kResidualLimit * kEps * d[2]);
    EXPECT_TRUE(x.m[0][1] == 0.0f && x.m[1][0] == 0.0f);
  }
}

TEST(PseudoInverseDeathTest, WorkStorageThatCannotBeObtainedIsFatal) {
  EXPECT_FATAL(pseudo_inverse(nullptr, nullptr, 0), "allocation failure 1 in matrix()");
}

}  // namespace
