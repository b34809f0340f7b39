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
#include "support/fatal_message.h"

namespace {

using namespace numerics;
using Dense = std::vector<std::vector<double>>;

constexpr double kEps = std::numeric_limits<float>::epsilon();
// Scaled residuals of the Moore-Penrose conditions stay below ~30 for a backward-stable method.
constexpr double kScoreLimit = 30.0;
constexpr float kSentinel = 1.0e30f;

// Zero-based rows × cols matrix of fixed pseudo-random values in [−1, 1), with a sentinel row and
// column at index rows and cols.
struct Zero {
  int rows, cols;
  float** m;
  Zero(int r, int c, unsigned seed = 0) : rows(r), cols(c), m(matrix(0, r, 0, c)) {
    std::mt19937 gen(seed);
    for (int i = 0; i <= r; ++i)
      for (int j = 0; j <= c; ++j)
        m[i][j] = (i == r || j == c) ? kSentinel : static_cast<float>(gen() >> 8) / 8388608.0f - 1.0f;
  }
  Zero(const Zero&) = delete;
  ~Zero() { release_matrix(m, 0, rows, 0, cols); }
  // Bit for bit the same as o, sentinels included.
  bool same_as(const Zero& o) const {
    for (int i = 0; i <= rows; ++i)
      if (std::memcmp(m[i], o.m[i], sizeof(float) * (cols + 1)) != 0) return false;
    return true;
  }
};

// Largest of the four Moore-Penrose residuals of x as pseudo-inverse of the n × n matrix a, in
// double, each scaled by the norms it is made of and by n·ε.
double moore_penrose_score(float** a, float** x, int n) {
  const auto dense = [n](float** m) {
    Dense d(n, std::vector<double>(n));
    for (int i = 0; i < n; ++i) std::copy(m[i], m[i] + n, d[i].begin());
    return d;
  };
  const auto mul = [n](const Dense& p, const Dense& q) {
    Dense r(n, std::vector<double>(n, 0.0));
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j)
        for (int k = 0; k < n; ++k) r[i][j] += p[i][k] * q[k][j];
    return r;
  };
  const auto distance = [n](const Dense& p, const Dense& q, bool transposed) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) sum += std::pow(p[i][j] - (transposed ? q[j][i] : q[i][j]), 2);
    return std::sqrt(sum);
  };
  const Dense da = dense(a), dx = dense(x), ax = mul(da, dx), xa = mul(dx, da),
              zero(n, std::vector<double>(n, 0.0));
  const double na = distance(da, zero, false), nx = distance(dx, zero, false);
  return std::max({distance(mul(ax, da), da, false) / (na * na * nx),
                   distance(mul(xa, dx), dx, false) / (nx * nx * na), distance(ax, ax, true) / (na * nx),
                   distance(xa, xa, true) / (na * nx)}) /
         (n * kEps);
}

TEST(MatrixProducts, MatchLongDoubleAndEachOther) {
  Zero a(5, 7, 1), b(7, 130, 2), c(5, 130), at(7, 5), aat(5, 5), own(5, 5), adapted(5, 5);
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
  EXPECT_TRUE(own.same_as(aat) && adapted.same_as(aat));
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
  Zero a(4, 6, 3), at(6, 4), back(4, 6), scaled(4, 6, 3);
  transpose_matrix(a.m, at.m, 4, 6);
  transpose_matrix(at.m, back.m, 6, 4);
  EXPECT_TRUE(back.same_as(a));
  const float s[4] = {2.0f, -0.5f, 3.0f, 0.0f};
  scale_rows(s, scaled.m, 4, 6);
  for (int i = 0; i <= 4; ++i)
    for (int j = 0; j <= 6; ++j) EXPECT_EQ(scaled.m[i][j], i < 4 && j < 6 ? a.m[i][j] * s[i] : kSentinel);
  // Mode 2 fills rows and columns 1..4, 1..6 and leaves row and column 0 alone; mode 3 brings the block
  // back; mode 1 copies 1..n to 1..n, mode 0 0..n−1 to 0..n−1; other modes copy nothing.
  Zero one_based(5, 7, 4), expected(5, 7, 4), round_trip(4, 6, 5), same(5, 7, 6), same_expected(5, 7, 6),
      plain(4, 6);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 6; ++j) expected.m[i + 1][j + 1] = same_expected.m[i + 1][j + 1] = a.m[i][j];
  copy_matrix_rebased(a.m, one_based.m, 4, 6, 2);
  copy_matrix_rebased(one_based.m, round_trip.m, 4, 6, 3);
  copy_matrix_rebased(one_based.m, same.m, 4, 6, 1);
  copy_matrix_rebased(a.m, plain.m, 4, 6, 0);
  EXPECT_TRUE(one_based.same_as(expected) && round_trip.same_as(a) && same.same_as(same_expected) &&
              plain.same_as(a));
  Zero untouched(4, 6, 9), reference(4, 6, 9);
  copy_matrix_rebased(a.m, untouched.m, 4, 6, 4);
  copy_matrix_rebased(a.m, untouched.m, 4, 6, -1);
  EXPECT_TRUE(untouched.same_as(reference));
}

// Full rank and ranks 3 and 1 (products of 6 × r and r × 6 factors); the input stays as it was.
TEST(PseudoInverse, MeetsMoorePenroseConditions) {
  for (int rank : {6, 3, 1}) {
    const int n = 6;
    Zero left(n, rank, 10u + rank), right(rank, n, 20u + rank), a(n, n), before(n, n), x(n, n);
    multiply_matrices(left.m, right.m, a.m, n, rank, n);
    copy_matrix_rebased(a.m, before.m, n + 1, n + 1, 0);
    EXPECT_TRUE(pseudo_inverse(a.m, x.m, n));
    EXPECT_LT(moore_penrose_score(a.m, x.m, n), kScoreLimit) << "rank " << rank;
    EXPECT_TRUE(a.same_as(before) && x.m[n][0] == kSentinel && x.m[0][n] == kSentinel);
  }
}

TEST(PseudoInverse, SmallAndDegenerateMatrices) {
  // [a] gives 1/a up to the rounding of U = ±1 and of the two products: at most 2 ulp.
  std::mt19937 gen(8);
  for (int trial = 0; trial < 200; ++trial) {
    Zero a(1, 1), x(1, 1);
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
    Zero a(2, 2), x(2, 2);
    a.m[0][0] = d[0], a.m[0][1] = 0.0f, a.m[1][0] = 0.0f, a.m[1][1] = d[1];
    EXPECT_TRUE(pseudo_inverse(a.m, x.m, 2));
    EXPECT_NEAR(x.m[0][0], d[0], kScoreLimit * kEps);
    EXPECT_NEAR(x.m[1][1], d[2], kScoreLimit * kEps * d[2]);
    EXPECT_TRUE(x.m[0][1] == 0.0f && x.m[1][0] == 0.0f);
  }
}

TEST(PseudoInverseDeathTest, WorkStorageThatCannotBeObtainedIsFatal) {
  EXPECT_FATAL(pseudo_inverse(nullptr, nullptr, 0), "allocation failure 1 in matrix()");
}

}  // namespace
