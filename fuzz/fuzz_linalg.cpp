// Fuzz target for the dense linear algebra: svd_decompose, jacobi, gaussj and pseudo_inverse on small
// matrices built from the input, checked against their defining identities in double precision.
//
// Keeping the input in range (what the routines document as outside their contract, or as a fatal
// exit, is never fed):
//  - byte 0 gives the rows m, byte 1 the columns n (each 1..kMaxDimension), byte 2 the number of
//    right-hand sides of gaussj (0..kMaxRightHandSides); the rest are little-endian 16-bit integers
//    v, each entry v / 4096 (exact in float, finite, |entry| ≤ 8; missing bytes count as zero);
//  - every matrix is scaled by a power of two (exactly) so that its largest magnitude lies in [4, 8):
//    the decomposition's absolute split threshold 1e-6 then stays below single-precision rounding
//    relative to the matrix, and the identities hold to rounding;
//  - gaussj gets the n × n matrix with each diagonal entry replaced by ±(1 + the sum of the row's
//    other magnitudes): strictly diagonally dominant, so never singular, with |A⁻¹|∞ ≤ 1;
//  - jacobi gets the symmetric matrix of the n × n block's upper triangle (its lower triangle holds
//    other values, which must stay untouched).
// Arrays are allocated with their exact bounds, so any access outside them is caught by the address
// checker. A violated identity aborts with a message naming it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <vector>

#include "numerics/numerics.h"
#include "support/residuals.h"
#include "support/tolerance.h"

namespace {

using test_support::Dense;
using test_support::kEps;
using test_support::kResidualLimit;

constexpr int kMaxDimension = 8;
constexpr int kMaxRightHandSides = 2;
// The decomposition drops bidiagonal entries below this absolute size.
constexpr double kSplitThreshold = 1.0e-6;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "linear algebra misbehaved: %s\n", what);
  std::abort();
}

void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

// The input's entries, v / 4096 for each little-endian 16-bit v, zero past the end.
class Entries {
 public:
  Entries(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  float at(std::size_t index) const {
    const std::size_t lo = 2 * index, hi = 2 * index + 1;
    const unsigned bits = (lo < size_ ? data_[lo] : 0u) | (hi < size_ ? data_[hi] : 0u) << 8;
    return static_cast<float>(static_cast<std::int16_t>(static_cast<std::uint16_t>(bits))) / 4096.0f;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// Row-major rows × cols values from the entries, scaled by a power of two so that the largest
// magnitude lies in [4, 8) (the zero matrix stays zero).
std::vector<float> normalised_block(const Entries& entries, std::size_t first, int rows, int cols) {
  std::vector<float> values(static_cast<std::size_t>(rows) * cols);
  float largest = 0.0f;
  for (std::size_t k = 0; k < values.size(); ++k) {
    values[k] = entries.at(first + k);
    largest = std::max(largest, std::fabs(values[k]));
  }
  if (largest == 0.0f) return values;
  int exponent = 0;
  std::frexp(largest, &exponent);  // largest = f · 2^exponent with f in [0.5, 1)
  for (float& v : values) v = std::ldexp(v, 3 - exponent);
  return values;
}

void check_svd(const std::vector<float>& values, int m, int n) {
  float** u = numerics::matrix(1, m, 1, n);
  float** v = numerics::matrix(1, n, 1, n);
  float* w = numerics::vector(1, n);
  Dense a(m, n);
  for (int i = 1; i <= m; ++i)
    for (int j = 1; j <= n; ++j)
      a(i - 1, j - 1) = u[i][j] = values[(i - 1) * static_cast<std::size_t>(n) + j - 1];
  numerics::svd_decompose(u, m, n, w, v);
  check(!numerics::svd_not_converged, "svd_decompose did not converge on a normalised matrix");
  float wmax = 0.0f;
  for (int k = 1; k <= n; ++k) {
    check(w[k] >= 0.0f, "svd_decompose left a negative singular value");
    wmax = std::max(wmax, w[k]);
  }
  const Dense ud = Dense::of(u, m, n), vd = Dense::of(v, n, n);
  // Each of the n bidiagonal entries the split search may drop costs up to its threshold.
  check(test_support::reconstruction_score(a, ud, std::vector<double>(w + 1, w + n + 1), vd,
                                           n * kSplitThreshold) <= kResidualLimit,
        "svd_decompose: A differs from U diag(w) Vᵀ");
  // Values that are zero in exact arithmetic (n − m of them when m < n, more for a rank-deficient
  // matrix) come out at rounding size, and a column of U whose value is w_k may lean into their
  // columns by an angle of about ε·wmax / w_k. Its length then falls short of 1 by the square of
  // that angle, so only the columns with w_k ≥ √ε·wmax are held to orthonormality within rounding.
  std::vector<int> all, significant;
  for (int k = 1; k <= n; ++k) {
    all.push_back(k - 1);
    if (w[k] > 0.0f && w[k] >= std::sqrt(kEps) * wmax) significant.push_back(k - 1);
  }
  check(test_support::orthonormality_score(vd, all) <= kResidualLimit, "svd_decompose: V is not orthonormal");
  check(test_support::orthonormality_score(ud, significant) <= kResidualLimit,
        "svd_decompose: the columns of U with non-zero singular values are not orthonormal");
  numerics::release_vector(w, 1, n);
  numerics::release_matrix(v, 1, n, 1, n);
  numerics::release_matrix(u, 1, m, 1, n);
}

void check_jacobi(const std::vector<float>& values, int n) {
  float** sym = numerics::matrix(1, n, 1, n);
  float** vectors = numerics::matrix(1, n, 1, n);
  float* eigenvalues = numerics::vector(1, n);
  Dense a(n, n);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      sym[i][j] = values[(i - 1) * static_cast<std::size_t>(n) + j - 1];
      if (i <= j) a(i - 1, j - 1) = a(j - 1, i - 1) = sym[i][j];
    }
  int rotations = -1;
  numerics::jacobi(sym, n, eigenvalues, vectors, &rotations);
  check(rotations >= 0, "jacobi: negative rotation count");
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      const float original = values[(i - 1) * static_cast<std::size_t>(n) + j - 1];
      check(sym[i][j] == (i < j ? 0.0f : original),
            "jacobi: the strict upper triangle is not cleared, or the diagonal or lower triangle changed");
    }
  const Dense vd = Dense::of(vectors, n, n);
  check(test_support::eigenpair_score(a, std::vector<double>(eigenvalues + 1, eigenvalues + n + 1), vd) <=
            kResidualLimit,
        "jacobi: A v differs from λ v");
  std::vector<int> all(static_cast<std::size_t>(n));
  std::iota(all.begin(), all.end(), 0);
  check(test_support::orthonormality_score(vd, all) <= kResidualLimit,
        "jacobi: the eigenvectors are not orthonormal");
  numerics::release_vector(eigenvalues, 1, n);
  numerics::release_matrix(vectors, 1, n, 1, n);
  numerics::release_matrix(sym, 1, n, 1, n);
}

void check_gaussj(const std::vector<float>& values, const Entries& entries, std::size_t first, int n,
                  int rhs) {
  float** a = numerics::matrix(1, n, 1, n);
  float** b = rhs > 0 ? numerics::matrix(1, n, 1, rhs) : nullptr;
  Dense original(n, n), right(n, std::max(rhs, 1));
  for (int i = 1; i <= n; ++i) {
    float others = 1.0f;
    for (int j = 1; j <= n; ++j) {
      a[i][j] = values[(i - 1) * static_cast<std::size_t>(n) + j - 1];
      if (j != i) others += std::fabs(a[i][j]);
    }
    a[i][i] = a[i][i] < 0.0f ? -others : others;
    for (int j = 1; j <= n; ++j) original(i - 1, j - 1) = a[i][j];
    for (int j = 1; j <= rhs; ++j)
      right(i - 1, j - 1) = b[i][j] = entries.at(first + static_cast<std::size_t>(i - 1) * rhs + j - 1);
  }
  numerics::gaussj(a, n, b, rhs);
  check(test_support::solution_score(original, Dense::of(a, n, n), Dense::identity(n)) <= kResidualLimit,
        "gaussj: A A⁻¹ differs from I");
  if (rhs > 0) {
    check(test_support::solution_score(original, Dense::of(b, n, rhs), right) <= kResidualLimit,
          "gaussj: A x differs from b");
    numerics::release_matrix(b, 1, n, 1, rhs);
  }
  numerics::release_matrix(a, 1, n, 1, n);
}

// The four Moore–Penrose conditions, each scaled by the norms it is made of.
void check_pseudo_inverse(const std::vector<float>& values, int n) {
  float** a = numerics::matrix(0, n - 1, 0, n - 1);
  float** x = numerics::matrix(0, n - 1, 0, n - 1);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[i][j] = values[i * static_cast<std::size_t>(n) + j];
  const Dense ad = Dense::of(a, n, n, 0);
  check(numerics::pseudo_inverse(a, x, n), "pseudo_inverse returned false");
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      check(std::isfinite(x[i][j]), "pseudo_inverse: non-finite result");
      check(a[i][j] == values[i * static_cast<std::size_t>(n) + j], "pseudo_inverse changed its input");
    }
  check(test_support::moore_penrose_score(ad, Dense::of(x, n, n, 0)) <= kResidualLimit,
        "pseudo_inverse: a Moore–Penrose condition fails (A X A = A, X A X = X, A X and X A symmetric)");
  numerics::release_matrix(x, 0, n - 1, 0, n - 1);
  numerics::release_matrix(a, 0, n - 1, 0, n - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int m = 1 + data[0] % kMaxDimension;
  const int n = 1 + data[1] % kMaxDimension;
  const int rhs = data[2] % (kMaxRightHandSides + 1);
  const Entries entries(data + 3, size - 3);
  check_svd(normalised_block(entries, 0, m, n), m, n);
  const std::vector<float> square = normalised_block(entries, 0, n, n);
  check_jacobi(square, n);
  check_gaussj(square, entries, static_cast<std::size_t>(n) * n, n, rhs);
  check_pseudo_inverse(square, n);
  return 0;
}
